#include "weblink/web_protocol.h"

#include <gtest/gtest.h>

namespace {

WebMessage Message(WebMessageType type, std::vector<std::string> fields)
{
    return WebMessage{type, std::move(fields)};
}

} // namespace

TEST(WebProtocol, MessagesSurviveAnySplitOfTheStream)
{
    const std::vector<WebMessage> sent = {
        Message(WebMessageType::Open,
                {IntField(7), IntField(0), IntField(0), std::string("http://h/map?a=1\x01\0b", 19),
                 "\xC1\xF6\xB5\xB5", std::string(44, '\0')}),
        Message(WebMessageType::Moved, {IntField(7), RectField(Rect{-5, 10, 1019, 778})}),
        Message(WebMessageType::Close, {IntField(7)}),
        Message(WebMessageType::Hide, {}),
    };
    std::string stream;
    for (const WebMessage& message : sent) {
        stream += EncodeWebMessage(message);
    }
    for (std::size_t piece : {std::size_t(1), std::size_t(3), std::size_t(7), stream.size()}) {
        SCOPED_TRACE(piece);
        CWebMessageReader reader;
        std::vector<WebMessage> received;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            reader.Feed(stream.data() + at, std::min(piece, stream.size() - at));
            WebMessage message;
            while (reader.Next(message)) {
                received.push_back(message);
            }
        }
        ASSERT_EQ(received.size(), sent.size());
        for (std::size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(received[i].Type, sent[i].Type);
            EXPECT_EQ(received[i].Fields, sent[i].Fields);
        }
        EXPECT_FALSE(reader.Broken());
    }
    Rect rect;
    ASSERT_TRUE(ReadRectField(sent[1].Fields[1], rect));
    EXPECT_EQ(rect.left, -5);
    EXPECT_EQ(rect.bottom, 778);
    std::int32_t id = 0;
    ASSERT_TRUE(ReadIntField(sent[2].Fields[0], id));
    EXPECT_EQ(id, 7);
    EXPECT_FALSE(ReadIntField("abc", id));
    EXPECT_FALSE(ReadRectField("short", rect));
}

TEST(WebProtocol, ABrokenStreamStops)
{
    struct Row
    {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"empty frame", std::string("\0\0\0\0", 4)},
        {"frame too large", std::string("\x01\x00\x01\x00", 4) + std::string(10, 'x')},
        {"field longer than its frame", std::string("\x06\0\0\0\x02\x09\0\0\0x", 10)},
        {"field length cut", std::string("\x03\0\0\0\x02\x01\0", 7)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CWebMessageReader reader;
        reader.Feed(row.bytes.data(), row.bytes.size());
        WebMessage message;
        EXPECT_FALSE(reader.Next(message));
        EXPECT_TRUE(reader.Broken());
        const std::string good = EncodeWebMessage(Message(WebMessageType::Show, {IntField(1)}));
        reader.Feed(good.data(), good.size());
        EXPECT_FALSE(reader.Next(message)) << "nothing is read after a break";
    }
}
