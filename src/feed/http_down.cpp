#include "feed/http_down.h"

#include "feed/direct_get.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/text.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <cstring>
#include <fcntl.h>
#include <new>
#include <unistd.h>

bool SplitHttpUrl(const std::string& url, HttpTarget& target)
{
    std::string rest = url;
    if (url.size() > 7) {
        std::string scheme = url.substr(0, 7);
        for (char& c : scheme) {
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        }
        if (scheme == "http://") {
            rest = url.substr(7);
        }
    }
    std::string hostAndPort = rest;
    std::string path = "/";
    if (const std::size_t slash = rest.find('/'); !rest.empty() && slash != std::string::npos) {
        hostAndPort = rest.substr(0, slash);
        path = rest.substr(slash);
    }
    int port = 80;
    std::string host = hostAndPort;
    if (const std::size_t colon = hostAndPort.rfind(':'); colon != std::string::npos) {
        host = hostAndPort.substr(0, colon);
        port = platform::Atoi32(hostAndPort.c_str() + colon + 1);
    }
    if (host.size() > HttpTarget::MaxHostLength || path.size() > HttpTarget::MaxPathLength) {
        return false;
    }
    target.Host = host;
    target.Port = port;
    target.Path = path;
    return true;
}

namespace {

// The desktop's proxy for an address (the user's environment, or its proxy configuration).
QNetworkProxy DesktopProxyFor(const QUrl& url)
{
    const QList<QNetworkProxy> proxies = QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(url));
    return proxies.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : proxies.first();
}

} // namespace

CKvHttpSession::CKvHttpSession() = default;

CKvHttpSession::~CKvHttpSession() = default;

QNetworkProxy CKvHttpSession::ProxyFor(const QUrl& url)
{
    if (!m_proxyKnown) {
        m_proxy = DesktopProxyFor(url);
        m_proxyKnown = true;
    }
    return m_proxy;
}

QNetworkAccessManager& CKvHttpSession::Manager()
{
    if (m_manager == nullptr) {
        m_manager = std::make_unique<QNetworkAccessManager>();
    }
    return *m_manager;
}

CKvHttpDown::CKvHttpDown(CKvHttpSession* session) : m_session(session)
{
    // Proxies come from the user's environment, as every desktop program here takes them.
    static const bool systemProxy = [] {
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        return true;
    }();
    (void)systemProxy;
    // Runs only while a download is under way: every end of one stops it.
    m_deadline.setSingleShot(true);
    m_deadline.callOnTimeout([this] { Finish(false); });
}

CKvHttpDown::~CKvHttpDown()
{
    m_done = nullptr;
    CloseRequest();
}

void CKvHttpDown::CloseRequest()
{
    ReleaseTransfer();
    m_token.reset();
    m_body.clear();
    m_open = false;
    ContentLength = 0;
}

void CKvHttpDown::ReleaseTransfer()
{
    m_deadline.stop();
    // Later, never now: this may run inside one of the reply's or the connection's own signals.
    if (m_reply != nullptr) {
        m_reply->disconnect();
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    if (m_manager != nullptr && m_session == nullptr) {
        m_manager->disconnect();
        m_manager->deleteLater();
    }
    m_manager = nullptr;
    if (m_direct != nullptr) {
        m_direct->Abandon();
        m_direct.release()->deleteLater();
    }
}

void CKvHttpDown::OpenUrlAsync(const std::string& url, Completion done)
{
    CloseRequest();
    m_done = std::move(done);
    HttpTarget target;
    // Callbacks still queued for an earlier request, or for a destroyed object, find their token gone.
    m_token = std::make_shared<int>(0);
    const std::weak_ptr<int> token = m_token;
    if (!SplitHttpUrl(url, target) || target.Host.empty()) {
        // Reported from the event loop too, as every other answer is.
        m_deadline.start(0);
        return;
    }
    m_target = target;
    // "host:" asks for port 0, which HTTP takes as its default port.
    const int port = target.Port <= 0 || target.Port > 65535 ? 80 : target.Port;
    // The address's own CP949 bytes go out percent-encoded; Qt would read them as UTF-8 and replace them.
    const std::string address = "http://" + target.Host + ":" + std::to_string(port) + target.Path;
    const QUrl requestUrl = QUrl::fromEncoded(
        QByteArray::fromStdString(platform::EncodeAddressBytes(address)), QUrl::TolerantMode);
    m_deadline.start(m_totalTimeoutMs);
    const QNetworkProxy proxy =
        m_session != nullptr ? m_session->ProxyFor(requestUrl) : DesktopProxyFor(requestUrl);
    if (proxy.type() != QNetworkProxy::NoProxy) {
        GetThroughManager(requestUrl, proxy);
        return;
    }
    m_direct = std::make_unique<CDirectGet>(TransferTimeoutMs, MaxBodyBytes);
    m_direct->Start(requestUrl, [this, token](const CDirectGet::Answer& answer) {
        if (token.expired()) {
            return;
        }
        if (!answer.Complete && answer.Elsewhere.isValid()) {
            // A redirect to a scheme only Qt's manager speaks.
            GetThroughManager(answer.Elsewhere, DesktopProxyFor(answer.Elsewhere));
            return;
        }
        const bool ok = answer.Complete && answer.Status >= 200 && answer.Status <= 299;
        if (ok) {
            m_body = answer.Body;
            ContentLength =
                answer.ContentLength.isEmpty() ? 0 : platform::Atoi32(answer.ContentLength.constData());
        }
        Finish(ok);
    });
}

void CKvHttpDown::GetThroughManager(const QUrl& url, const QNetworkProxy& proxy)
{
    const std::weak_ptr<int> token = m_token;
    // Without a session, a manager of its own: nothing shared with any other download.
    m_manager = m_session != nullptr ? &m_session->Manager() : new QNetworkAccessManager;
    // Set for every request: a redirect handed over from a direct download may need another proxy.
    m_manager->setProxy(proxy);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(TransferTimeoutMs);
    m_reply = m_manager->get(request);
    QNetworkReply* reply = m_reply;
    // Qt reads ahead without bound unless told; a body can then only grow as fast as it is taken.
    reply->setReadBufferSize(ReadAheadBytes);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [this, token, reply] {
        if (token.expired()) {
            return;
        }
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (announced > MaxBodyBytes) {
            Finish(false);
        }
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [this, token, reply] {
        if (token.expired()) {
            return;
        }
        m_body += reply->readAll();
        if (m_body.size() > MaxBodyBytes) {
            Finish(false);
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, token, reply] {
        if (token.expired()) {
            return;
        }
        m_body += reply->readAll();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool ok = reply->error() == QNetworkReply::NoError && status >= 200 && status <= 299 &&
                        m_body.size() <= MaxBodyBytes;
        if (ok) {
            const QByteArray length = reply->rawHeader("Content-Length");
            ContentLength = length.isEmpty() ? 0 : platform::Atoi32(length.constData());
        }
        Finish(ok);
    });
}

void CKvHttpDown::Finish(bool ok)
{
    if (ok) {
        // The body is in m_body; the transfer that brought it is let go.
        ReleaseTransfer();
        m_open = true;
    } else {
        if (m_session != nullptr) {
            m_session->Failed();
        }
        CloseRequest();
    }
    if (m_done) {
        Completion done = std::move(m_done);
        m_done = nullptr;
        done(ok);
    }
}

bool CKvHttpDown::OpenUrl(const std::string& url)
{
    QEventLoop loop;
    bool result = false;
    OpenUrlAsync(url, [&](bool ok) {
        result = ok;
        loop.quit();
    });
    loop.exec();
    return result;
}

char* CKvHttpDown::ReadAll(int capacity, int growth)
{
    if (!m_open) {
        return nullptr;
    }
    // The body is already in; it is handed out in the pieces and growth steps a reader of a live
    // stream would use, so that the caller's sizing is what it would be.
    constexpr int Piece = 1024;
    std::size_t cap = capacity > 0 ? static_cast<std::size_t>(capacity) : 0;
    const std::size_t step = growth > 0 ? static_cast<std::size_t>(growth) : static_cast<std::size_t>(Piece);
    char* buffer = new (std::nothrow) char[cap + 1];
    if (buffer == nullptr) {
        return nullptr;
    }
    std::size_t position = 0;
    const auto total = static_cast<std::size_t>(m_body.size());
    while (position < total) {
        if (cap - position < Piece) {
            char* larger = new (std::nothrow) char[cap + step + 1];
            if (larger == nullptr) {
                delete[] buffer;
                return nullptr;
            }
            std::memcpy(larger, buffer, position);
            delete[] buffer;
            buffer = larger;
            cap += step;
        }
        const std::size_t count =
            std::min({cap - position, static_cast<std::size_t>(Piece), total - position});
        std::memcpy(buffer + position, m_body.constData() + position, count);
        position += count;
    }
    buffer[position] = '\0';
    ContentLength = static_cast<std::int32_t>(position);
    return buffer;
}

std::unique_ptr<char[]> CKvHttpDown::TakeBody()
{
    if (!m_open) {
        return nullptr;
    }
    const int announced = ContentLength > 0 ? ContentLength : DefaultFileCapacity;
    return std::unique_ptr<char[]>(ReadAll(announced + 10, announced));
}

bool CKvHttpDown::WriteBodyToFile(const std::string& path)
{
    // The body first: a download that cannot be held makes no file.
    const std::unique_ptr<char[]> body = TakeBody();
    if (body == nullptr) {
        return false;
    }
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool ok = platform::WriteAll(fd, body.get(), static_cast<std::size_t>(ContentLength));
    return close(fd) == 0 && ok;
}

bool CKvHttpDown::WriteBody(int fd)
{
    const std::unique_ptr<char[]> body = TakeBody();
    return body != nullptr && platform::WriteAll(fd, body.get(), static_cast<std::size_t>(ContentLength));
}

bool CKvHttpDown::DownloadToFile(const std::string& url, const std::string& path)
{
    CKvHttpDown down;
    return down.OpenUrl(url) && down.WriteBodyToFile(path);
}
