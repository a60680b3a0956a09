#include "weblink/web_channel.h"

#include <QLocalSocket>

CWebChannel::CWebChannel(QObject* parent) : QObject(parent) {}

CWebChannel::~CWebChannel()
{
    // The socket is the channel's child and goes with it; what was written still goes out.
    if (m_socket != nullptr) {
        m_socket->disconnect(this);
        m_socket->flush();
        m_socket->disconnectFromServer();
    }
}

void CWebChannel::Attach(QLocalSocket* socket)
{
    LetSocketGo();
    m_reader = CWebMessageReader();
    m_socket = socket;
    socket->setParent(this);
    connect(socket, &QLocalSocket::readyRead, this, &CWebChannel::OnReadyRead);
    connect(socket, &QLocalSocket::disconnected, this, [this] { Drop(LossReason::Closed); });
    connect(socket, &QLocalSocket::errorOccurred, this, [this](QLocalSocket::LocalSocketError error) {
        // A wait that timed out is not the end of the link.
        if (error != QLocalSocket::SocketTimeoutError) {
            Drop(LossReason::Closed);
        }
    });
    if (!m_pending.empty()) {
        socket->write(m_pending.data(), static_cast<qint64>(m_pending.size()));
        m_pending.clear();
    }
    OnReadyRead();
}

void CWebChannel::Send(WebMessageType type, std::vector<std::string> fields)
{
    const std::string frame = EncodeWebMessage(WebMessage{type, std::move(fields)});
    if (m_socket != nullptr) {
        m_socket->write(frame.data(), static_cast<qint64>(frame.size()));
    } else {
        m_pending += frame;
    }
}

void CWebChannel::Close()
{
    m_pending.clear();
    m_reader = CWebMessageReader();
    LetSocketGo();
}

void CWebChannel::LetSocketGo()
{
    if (m_socket == nullptr) {
        return;
    }
    QLocalSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->flush();
    socket->disconnectFromServer();
    socket->deleteLater();
}

void CWebChannel::OnReadyRead()
{
    if (m_socket == nullptr) {
        return;
    }
    const QByteArray data = m_socket->readAll();
    m_reader.Feed(data.constData(), static_cast<std::size_t>(data.size()));
    WebMessage message;
    // A receiver may close the link; the messages behind that are not for anyone.
    QLocalSocket* const reading = m_socket;
    while (m_socket == reading && m_reader.Next(message)) {
        emit Received(message);
    }
    if (m_socket == reading && m_reader.Broken()) {
        Drop(LossReason::Unreadable);
    }
}

void CWebChannel::Drop(LossReason reason)
{
    if (m_socket == nullptr) {
        return;
    }
    Close();
    emit Lost(reason);
}
