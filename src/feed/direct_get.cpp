#include "feed/direct_get.h"

#include <QNetworkProxy>
#include <QTcpSocket>

#include <cstdlib>

namespace {

// The line that starts at from, without its CR LF (or bare LF); false when it has not all arrived.
bool TakeLine(const QByteArray& in, qsizetype& from, QByteArray& line)
{
    const qsizetype end = in.indexOf('\n', from);
    if (end < 0) {
        return false;
    }
    line = in.mid(from, end - from);
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    from = end + 1;
    return true;
}

bool IsRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// A decimal length of digits only; -1 for anything else.
std::int64_t ParseLength(const QByteArray& text)
{
    const QByteArray digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 18) {
        return -1;
    }
    std::int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

CDirectGet::CDirectGet(int transferTimeoutMs, std::int64_t maxBody)
    : m_transferTimeoutMs(transferTimeoutMs), m_maxBody(maxBody)
{
    m_idle.setSingleShot(true);
    QObject::connect(&m_idle, &QTimer::timeout, [this] { Fail(); });
    m_later.setSingleShot(true);
    QObject::connect(&m_later, &QTimer::timeout, [this] {
        const std::function<void()> step = std::move(m_next);
        m_next = nullptr;
        if (step) {
            step();
        }
    });
}

CDirectGet::~CDirectGet()
{
    Abandon();
}

void CDirectGet::Abandon()
{
    m_done = nullptr;
    Drop();
}

void CDirectGet::Start(const QUrl& url, Done done)
{
    m_done = std::move(done);
    m_redirects = 0;
    Connect(url);
}

void CDirectGet::Later(std::function<void()> step)
{
    m_next = std::move(step);
    m_later.start(0);
}

void CDirectGet::Drop()
{
    m_idle.stop();
    m_later.stop();
    m_next = nullptr;
    if (m_socket != nullptr) {
        m_socket->disconnect();
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
}

void CDirectGet::Connect(const QUrl& url)
{
    Drop();
    m_url = url;
    m_in.clear();
    m_answer = Answer();
    m_inBody = false;
    m_inTrailer = false;
    m_framing = Framing::None;
    m_remaining = 0;

    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty()) {
        target = "/";
    }
    if (url.hasQuery()) {
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    }
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':')) {
        host = '[' + host + ']';
    }
    const int port = url.port(80);
    if (port != 80) {
        host += ':' + QByteArray::number(port);
    }
    m_socket = new QTcpSocket;
    QTcpSocket* socket = m_socket;
    // Nothing that could end one header and start another, or the request line, may go out.
    for (const char c : target + host) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) {
            Later([this] { Fail(); });
            return;
        }
    }
    const QByteArray request =
        "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n";
    socket->setProxy(QNetworkProxy::NoProxy);
    // Read ahead no further than a body may grow in one step.
    socket->setReadBufferSize(1024 * 1024);
    QObject::connect(socket, &QTcpSocket::connected, socket, [this, socket, request] {
        m_idle.start(m_transferTimeoutMs);
        socket->write(request);
    });
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket,
                     [this] { m_idle.start(m_transferTimeoutMs); });
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this] { Received(); });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, [this] { Closed(); });
    QObject::connect(socket, &QTcpSocket::errorOccurred, socket, [this](QAbstractSocket::SocketError error) {
        // The server closing the connection is how an answer without a length ends.
        if (error == QAbstractSocket::RemoteHostClosedError) {
            Closed();
        } else {
            Fail();
        }
    });
    m_idle.start(m_transferTimeoutMs);
    socket->connectToHost(url.host(), static_cast<quint16>(port));
}

void CDirectGet::Received()
{
    m_idle.start(m_transferTimeoutMs);
    m_in += m_socket->readAll();
    if (!m_inBody && !ReadHead()) {
        return;
    }
    if (m_inBody) {
        ReadBody();
    }
}

void CDirectGet::Closed()
{
    if (m_socket == nullptr) {
        return;
    }
    // What is still buffered counts before the end does.
    if (m_socket->bytesAvailable() > 0) {
        Received();
        if (m_socket == nullptr) {
            return;
        }
    }
    Finish(m_inBody && m_framing == Framing::UntilClose);
}

bool CDirectGet::ReadHead()
{
    for (;;) {
        qsizetype from = 0;
        QByteArray line;
        QList<QByteArray> lines;
        bool whole = false;
        while (TakeLine(m_in, from, line)) {
            if (line.isEmpty()) {
                whole = true;
                break;
            }
            lines.append(line);
        }
        if (!whole) {
            if (m_in.size() > MaxHeadBytes) {
                Fail();
            }
            return false;
        }
        m_in.remove(0, from);
        // "HTTP/1.1 200 OK"
        const QList<QByteArray> status = lines.isEmpty() ? QList<QByteArray>() : lines.front().split(' ');
        if (status.size() < 2 || !status[0].startsWith("HTTP/1.") || status[1].size() != 3) {
            Fail();
            return false;
        }
        m_answer.Status = static_cast<int>(ParseLength(status[1]));
        if (m_answer.Status < 100) {
            Fail();
            return false;
        }
        if (m_answer.Status < 200) {
            continue; // an interim answer; the real one follows
        }
        QByteArray location;
        QByteArray transfer;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon <= 0) {
                continue;
            }
            const QByteArray name = lines[i].left(colon).trimmed().toLower();
            const QByteArray value = lines[i].mid(colon + 1).trimmed();
            if (name == "content-length") {
                m_answer.ContentLength = value;
            } else if (name == "transfer-encoding") {
                transfer = value.toLower();
            } else if (name == "location") {
                location = value;
            }
        }
        if (IsRedirect(m_answer.Status) && !location.isEmpty()) {
            if (++m_redirects > MaxRedirects) {
                Fail();
                return false;
            }
            const QUrl next = m_url.resolved(QUrl::fromEncoded(location, QUrl::TolerantMode));
            if (next.scheme() != QLatin1String("http")) {
                m_answer.Elsewhere = next;
                Finish(false);
                return false;
            }
            // Later: this runs inside the old connection's signal.
            m_socket->disconnect();
            Later([this, next] { Connect(next); });
            return false;
        }
        m_inBody = true;
        if (m_answer.Status == 204 || m_answer.Status == 304) {
            m_framing = Framing::None;
        } else if (transfer.contains("chunked")) {
            m_framing = Framing::Chunked;
        } else if (!m_answer.ContentLength.isEmpty()) {
            m_framing = Framing::Length;
            m_remaining = ParseLength(m_answer.ContentLength);
            if (m_remaining < 0 || m_remaining > m_maxBody) {
                Fail();
                return false;
            }
        } else {
            m_framing = Framing::UntilClose;
        }
        return true;
    }
}

bool CDirectGet::ReadBody()
{
    switch (m_framing) {
    case Framing::None:
        Finish(true);
        return false;
    case Framing::Chunked:
        return ReadChunks();
    case Framing::Length: {
        const qsizetype take = static_cast<qsizetype>(std::min<std::int64_t>(m_remaining, m_in.size()));
        m_answer.Body += m_in.left(take);
        m_in.remove(0, take);
        m_remaining -= take;
        if (m_remaining == 0) {
            Finish(true);
            return false;
        }
        return true;
    }
    case Framing::UntilClose:
        m_answer.Body += m_in;
        m_in.clear();
        if (m_answer.Body.size() > m_maxBody) {
            Fail();
            return false;
        }
        return true;
    }
    return true;
}

bool CDirectGet::ReadChunks()
{
    // size-in-hex[;extension] CR LF, the data, CR LF; a size of 0 ends the body, then trailer lines
    // up to an empty one.
    for (;;) {
        qsizetype from = 0;
        QByteArray line;
        if (m_inTrailer) {
            if (!TakeLine(m_in, from, line)) {
                return true;
            }
            m_in.remove(0, from);
            if (line.isEmpty()) {
                Finish(true);
                return false;
            }
            continue;
        }
        if (m_remaining > 0) {
            // The data and its CR LF.
            if (m_in.size() < m_remaining + 2) {
                return true;
            }
            m_answer.Body += m_in.left(static_cast<qsizetype>(m_remaining));
            m_in.remove(0, static_cast<qsizetype>(m_remaining) + 2);
            m_remaining = 0;
            continue;
        }
        if (!TakeLine(m_in, from, line)) {
            if (m_in.size() > MaxHeadBytes) {
                Fail();
                return false;
            }
            return true;
        }
        m_in.remove(0, from);
        const QByteArray size = line.split(';').front().trimmed();
        bool ok = false;
        const qlonglong length = size.toLongLong(&ok, 16);
        if (!ok || length < 0 || length > m_maxBody - m_answer.Body.size()) {
            Fail();
            return false;
        }
        if (length == 0) {
            m_inTrailer = true;
        }
        m_remaining = length;
    }
}

void CDirectGet::Finish(bool complete)
{
    Drop();
    m_answer.Complete = complete;
    if (m_done) {
        // Nothing of this object is touched once done has run.
        const Done done = std::move(m_done);
        m_done = nullptr;
        const Answer answer = std::move(m_answer);
        done(answer);
    }
}
