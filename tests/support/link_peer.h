#pragma once

// One end of the widget-helper link as the other side's test sees it: every message received is
// kept in order, and frames go out at once.

#include "support/event_wait.h"
#include "weblink/web_channel.h"

#include <QLocalSocket>
#include <QPointer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class LinkPeer
{
public:
    explicit LinkPeer(QLocalSocket* socket) : m_socket(socket)
    {
        QObject::connect(&m_channel, &CWebChannel::Received,
                         [this](const WebMessage& message) { received.push_back(message); });
        m_channel.Attach(socket);
    }

    void Send(WebMessageType type, std::vector<std::string> fields)
    {
        m_channel.Send(type, std::move(fields));
        if (m_socket != nullptr) {
            m_socket->flush();
        }
    }
    // Waits for the next message of a type from the index from on; the ones before it stay recorded.
    const WebMessage* WaitFor(WebMessageType type, std::size_t from = 0)
    {
        const WebMessage* found = nullptr;
        WaitUntil([&] {
            for (std::size_t i = from; i < received.size(); ++i) {
                if (received[i].Type == type) {
                    found = &received[i];
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    // The socket while the link lasts; null once the other end has gone.
    QLocalSocket* Socket() const { return m_channel.Attached() ? m_socket.data() : nullptr; }
    bool Connected() const { return m_channel.Attached(); }

    std::vector<WebMessage> received;

private:
    CWebChannel m_channel;
    QPointer<QLocalSocket> m_socket;
};

inline Rect RectOf(const std::string& field)
{
    Rect rect;
    EXPECT_TRUE(ReadRectField(field, rect));
    return rect;
}
