#include "weblink/web_protocol.h"

#include <cstring>

namespace {

void PutU32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

std::uint32_t GetU32(const std::string& in, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    }
    return v;
}

} // namespace

std::string EncodeWebMessage(const WebMessage& message)
{
    std::string body;
    body += static_cast<char>(message.Type);
    for (const std::string& field : message.Fields) {
        PutU32(body, static_cast<std::uint32_t>(field.size()));
        body += field;
    }
    std::string frame;
    PutU32(frame, static_cast<std::uint32_t>(body.size()));
    return frame + body;
}

void CWebMessageReader::Feed(const char* data, std::size_t size)
{
    if (!m_broken) {
        m_buffer.append(data, size);
    }
}

bool CWebMessageReader::Next(WebMessage& message)
{
    if (m_broken || m_buffer.size() < 4) {
        return false;
    }
    const std::uint32_t length = GetU32(m_buffer, 0);
    if (length == 0 || length > MaxFrameBytes) {
        m_broken = true;
        m_buffer.clear();
        return false;
    }
    if (m_buffer.size() < 4 + static_cast<std::size_t>(length)) {
        return false;
    }
    const std::string body = m_buffer.substr(4, length);
    m_buffer.erase(0, 4 + static_cast<std::size_t>(length));
    WebMessage parsed;
    parsed.Type = static_cast<WebMessageType>(static_cast<unsigned char>(body[0]));
    std::size_t at = 1;
    while (at < body.size()) {
        if (body.size() - at < 4) {
            m_broken = true;
            return false;
        }
        const std::uint32_t fieldLength = GetU32(body, at);
        at += 4;
        if (fieldLength > body.size() - at) {
            m_broken = true;
            return false;
        }
        parsed.Fields.push_back(body.substr(at, fieldLength));
        at += fieldLength;
    }
    message = std::move(parsed);
    return true;
}

std::string IntField(std::int32_t value)
{
    std::string out;
    PutU32(out, static_cast<std::uint32_t>(value));
    return out;
}

bool ReadIntField(const std::string& field, std::int32_t& value)
{
    if (field.size() != 4) {
        return false;
    }
    value = static_cast<std::int32_t>(GetU32(field, 0));
    return true;
}

std::string RectField(const Rect& rect)
{
    return IntField(rect.left) + IntField(rect.top) + IntField(rect.right) + IntField(rect.bottom);
}

bool ReadRectField(const std::string& field, Rect& rect)
{
    if (field.size() != 16) {
        return false;
    }
    rect.left = static_cast<std::int32_t>(GetU32(field, 0));
    rect.top = static_cast<std::int32_t>(GetU32(field, 4));
    rect.right = static_cast<std::int32_t>(GetU32(field, 8));
    rect.bottom = static_cast<std::int32_t>(GetU32(field, 12));
    return true;
}

std::string PlacementField(const WindowPlacement& placement)
{
    std::uint8_t bytes[WindowPlacement::StoredSize];
    placement.ToBytes(bytes);
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

bool ReadPlacementField(const std::string& field, WindowPlacement& placement)
{
    if (field.size() != WindowPlacement::StoredSize) {
        return false;
    }
    std::uint8_t bytes[WindowPlacement::StoredSize];
    std::memcpy(bytes, field.data(), sizeof bytes);
    placement = WindowPlacement::FromBytes(bytes);
    return true;
}
