// Both ends of a real local socket, each a channel: what is queued before the link, a receiver that
// closes the link in the middle of a burst, and the two ways a link is lost.

#include "support/event_wait.h"
#include "support/temp_env.h"
#include "weblink/web_channel.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <gtest/gtest.h>

#include <optional>

namespace {

class WebChannelPair : public ::testing::Test
{
protected:
    WebChannelPair()
    {
        server.listen(QString::fromStdString(env.Path("link.sock")));
        QObject::connect(&near, &CWebChannel::Received,
                         [this](const WebMessage& m) { nearGot.push_back(m); });
        QObject::connect(&far, &CWebChannel::Received, [this](const WebMessage& m) { farGot.push_back(m); });
        QObject::connect(&far, &CWebChannel::Lost, [this](CWebChannel::LossReason why) { farLost = why; });
    }

    // Connects the two channels; far is the accepting side.
    void Link()
    {
        auto* socket = new QLocalSocket;
        socket->connectToServer(server.fullServerName());
        ASSERT_TRUE(socket->waitForConnected(5000));
        ASSERT_TRUE(WaitUntil([this] { return server.hasPendingConnections(); }));
        far.Attach(server.nextPendingConnection());
        near.Attach(socket);
        nearSocket = socket;
    }

    TempEnv env;
    QLocalServer server;
    CWebChannel near;
    CWebChannel far;
    std::vector<WebMessage> nearGot;
    std::vector<WebMessage> farGot;
    std::optional<CWebChannel::LossReason> farLost;
    QPointer<QLocalSocket> nearSocket;
};

TEST_F(WebChannelPair, WhatIsSentBeforeTheLinkArrivesFirstAndInOrder)
{
    near.Send(WebMessageType::Open, {"1"});
    near.Send(WebMessageType::Show, {"1"});
    EXPECT_FALSE(near.Attached());
    Link();
    near.Send(WebMessageType::Hide, {"1"});
    far.Send(WebMessageType::Visible, {"1", "0"});
    ASSERT_TRUE(WaitUntil([this] { return farGot.size() == 3 && nearGot.size() == 1; }));
    EXPECT_EQ(farGot[0].Type, WebMessageType::Open);
    EXPECT_EQ(farGot[1].Type, WebMessageType::Show);
    EXPECT_EQ(farGot[2].Type, WebMessageType::Hide);
    EXPECT_EQ(nearGot[0].Fields, (std::vector<std::string>{"1", "0"}));
    EXPECT_FALSE(farLost.has_value());
}

TEST_F(WebChannelPair, AReceiverThatClosesTheLinkGetsNothingAfterIt)
{
    QObject::connect(&far, &CWebChannel::Received, [this](const WebMessage& m) {
        if (m.Type == WebMessageType::Close) {
            far.Close();
        }
    });
    Link();
    // One burst: the three frames arrive in one read.
    near.Send(WebMessageType::Show, {"1"});
    near.Send(WebMessageType::Close, {"1"});
    near.Send(WebMessageType::Hide, {"1"});
    ASSERT_TRUE(WaitUntil([this] { return !far.Attached(); }));
    WaitUntil([] { return false; }, 200);
    ASSERT_EQ(farGot.size(), 2u);
    EXPECT_EQ(farGot[1].Type, WebMessageType::Close);
    EXPECT_FALSE(farLost.has_value()) << "closing is not losing";
}

TEST_F(WebChannelPair, ALinkEndsWhenThePeerGoesOrSendsWhatCannotBeRead)
{
    const struct
    {
        const char* name;
        bool garbage;
        CWebChannel::LossReason expected;
    } rows[] = {
        {"peer closed", false, CWebChannel::LossReason::Closed},
        {"frame over the limit", true, CWebChannel::LossReason::Unreadable},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        farLost.reset();
        farGot.clear();
        Link();
        near.Send(WebMessageType::Show, {"1"});
        ASSERT_TRUE(WaitUntil([this] { return farGot.size() == 1; }));
        if (row.garbage) {
            // A frame that says 16 MiB follow, past the sender's own channel.
            const char oversized[] = {'\x00', '\x00', '\x00', '\x01', '\x01'};
            nearSocket->write(oversized, sizeof oversized);
            nearSocket->flush();
        } else {
            near.Close();
        }
        ASSERT_TRUE(WaitUntil([this] { return farLost.has_value(); }));
        EXPECT_EQ(*farLost, row.expected);
        EXPECT_FALSE(far.Attached());
        EXPECT_EQ(farGot.size(), 1u);
    }
}

} // namespace
