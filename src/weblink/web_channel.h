#pragma once

// One end of the link between the widget and its browser helper: the frames of web_protocol.h over a
// local socket, read and checked in one place for both programs. What a message means is each end's
// own business; the channel only carries them.

#include "weblink/web_protocol.h"

#include <QLocalSocket>
#include <QObject>
#include <QPointer>

#include <string>
#include <vector>

class CWebChannel : public QObject
{
    Q_OBJECT
public:
    // Why a link ended.
    enum class LossReason
    {
        Closed,
        Unreadable
    };

    explicit CWebChannel(QObject* parent = nullptr);
    ~CWebChannel() override;

    // Takes the connected socket, which the channel owns from now on; what was sent before it goes out
    // first, and whatever has already arrived is read.
    void Attach(QLocalSocket* socket);
    bool Attached() const { return m_socket != nullptr; }

    // Writes one message, or keeps it until a socket is attached.
    void Send(WebMessageType type, std::vector<std::string> fields);

    // Ends the link quietly: what was written still goes out, nothing more is received and Lost is not
    // emitted. The channel can be attached again afterwards, with an empty queue and a fresh reader.
    void Close();

signals:
    // One message, in order. A receiver may Close the channel; no later message is then delivered.
    void Received(const WebMessage& message);
    // The other end went away or sent what cannot be read; the channel is closed by then.
    void Lost(CWebChannel::LossReason reason);

private:
    void OnReadyRead();
    void Drop(LossReason reason);
    // Flushes and closes the socket, and forgets it.
    void LetSocketGo();

    QPointer<QLocalSocket> m_socket;
    CWebMessageReader m_reader;
    std::string m_pending;
};
