#pragma once

// The messages between the widget and its browser helper (pellamo-web), over a local socket. Each
// message is one frame:
//
//   u32 length of what follows (little-endian) | u8 type | fields...
//   field: u32 length (little-endian) | that many bytes
//
// Fields are opaque bytes (CP949 texts, 44-byte placements, 16-byte rectangles as four LE i32), so
// addresses and captions pass unchanged whatever they hold. A frame over MaxFrameBytes, or one whose
// fields do not add up, breaks the stream: the reader stops and the link is closed.

#include "settings/geometry.h"

#include <cstdint>
#include <string>
#include <vector>

enum class WebMessageType : std::uint8_t
{
    // widget -> helper

    Open = 1,   // id, kind (WebWindowKind), page index, address, caption, placement (44 bytes) or rectangle
    Show = 2,   // id
    Hide = 3,   // id
    Move = 4,   // id, rectangle
    Close = 5,  // id
    Anchor = 6, // the widget's own rectangle, which the weather and plant windows dock to

    // helper -> widget

    Moved = 20,          // id, rectangle, placement (44 bytes; page windows only, else empty)
    Visible = 21,        // id, "1" or "0"
    CloseRequested = 22, // id; the last Moved before it holds what to remember
};

enum class WebWindowKind : std::int32_t
{
    Page = 0,
    Weather = 1,
    Factory = 2
};

struct WebMessage
{
    WebMessageType Type = WebMessageType::Open;
    std::vector<std::string> Fields;
};

std::string EncodeWebMessage(const WebMessage& message);

class CWebMessageReader
{
public:
    static constexpr std::uint32_t MaxFrameBytes = 64 * 1024;

    void Feed(const char* data, std::size_t size);
    // The next complete message, in order; false when none is complete yet or the stream is broken.
    bool Next(WebMessage& message);
    bool Broken() const { return m_broken; }

private:
    std::string m_buffer;
    bool m_broken = false;
};

// Field helpers for the fixed-size values.
std::string RectField(const Rect& rect);
bool ReadRectField(const std::string& field, Rect& rect);
std::string IntField(std::int32_t value);
bool ReadIntField(const std::string& field, std::int32_t& value);
std::string PlacementField(const WindowPlacement& placement);
bool ReadPlacementField(const std::string& field, WindowPlacement& placement);
