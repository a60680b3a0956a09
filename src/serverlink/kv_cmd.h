#pragma once

// The body of every request to the dispatch server and every reply from it: key/value pairs of CP949
// text, "name=value", joined by the byte 0x01, with nothing before the first pair or after the last:
//
//   ID=kim<01>PW=secret<01>Mac=001122AABBCC<01>Type=1
//
// Nothing is escaped: a name holds neither '=' nor 0x01, a value no 0x01. The same Param calls write a
// request (CKvSndCmd) and read a reply (CKvRcvCmd).

#include "platform/typed_ptr_list.h"

#include <cstdint>
#include <string>

// A date and time as the protocol carries it: YYYYMMDDhhmmss. DayOfWeek and Milliseconds are not sent.
struct SystemTime
{
    std::uint16_t Year = 0;
    std::uint16_t Month = 0;
    std::uint16_t DayOfWeek = 0;
    std::uint16_t Day = 0;
    std::uint16_t Hour = 0;
    std::uint16_t Minute = 0;
    std::uint16_t Second = 0;
    std::uint16_t Milliseconds = 0;
};

class CKvCmd
{
public:
    struct CCmd
    {
        char* Name = nullptr;  // into the reply's body text, not owned
        char* Value = nullptr; // likewise
    };
    class CCmdList : public CKvSafeTypedPtrList<CCmd>
    {
    };

    virtual ~CKvCmd() = default;

    virtual bool Param(const char* name, SystemTime& value) = 0;
    virtual bool Param(const char* name, double& value) = 0;
    virtual bool Param(const char* name, float& value) = 0;
    virtual bool Param(const char* name, std::int64_t& value) = 0;
    virtual bool Param(const char* name, std::uint64_t& value) = 0;
    virtual bool Param(const char* name, std::int32_t& value) = 0;
    virtual bool Param(const char* name, std::uint32_t& value) = 0;
    virtual bool Param(const char* name, std::uint16_t& value) = 0;
    virtual bool Param(const char* name, std::int16_t& value) = 0;
    virtual bool Param(const char* name, char* buffer, int size) = 0;
    virtual bool Param(const char* name, std::string& value) = 0;
};

// One request under construction: the 8-byte header area followed directly by the body, so that the
// two go out as one block.
class CKvSndCmd : public CKvCmd
{
public:
    static constexpr int HeaderSize = 8;
    static constexpr int BodyAreaSize = 1028;

    CKvSndCmd() = default;

    // Each appends one pair. A pair that would not fit the body area, with its separator and the zero
    // byte after it, is refused: the body stays as it was and false comes back.
    bool Param(const char* name, SystemTime& value) override;
    bool Param(const char* name, double& value) override;
    bool Param(const char* name, float& value) override;
    bool Param(const char* name, std::int64_t& value) override;
    bool Param(const char* name, std::uint64_t& value) override;
    bool Param(const char* name, std::int32_t& value) override;
    bool Param(const char* name, std::uint32_t& value) override;
    bool Param(const char* name, std::uint16_t& value) override;
    bool Param(const char* name, std::int16_t& value) override;
    bool Param(const char* name, char* buffer, int size) override; // size is not used when writing
    bool Param(const char* name, std::string& value) override;

    std::uint8_t* Header() { return m_packet; }
    const char* Body() const { return reinterpret_cast<const char*>(m_packet + HeaderSize); }
    int BodyLength() const { return m_bodyLength; }
    const std::uint8_t* Packet() const { return m_packet; }

private:
    bool Append(const char* name, const char* value, std::size_t valueLength);

    std::uint8_t m_packet[HeaderSize + BodyAreaSize] = {};
    int m_bodyLength = 0;
};

// One parsed reply. Its pairs point into its own copy of the body (or into the caller's text when
// parsed without a copy) and stay readable until the next ParseBody or ClearPairs.
class CKvRcvCmd : public CKvCmd
{
public:
    CKvRcvCmd() = default;
    CKvRcvCmd(const CKvRcvCmd&) = delete;
    CKvRcvCmd& operator=(const CKvRcvCmd&) = delete;
    ~CKvRcvCmd() override;

    // Replaces the pairs with those of text. A negative length means up to the first zero byte. With
    // copy the text is left alone; without, it is cut in place. False when memory runs out (no pairs)
    // or a segment that a 0x01 ends has no '=' (the pairs before it stay).
    bool ParseBody(int length, char* text, int copy);
    void ClearPairs();

    // Each looks the name up (ASCII letters without regard to case, the first occurrence wins) and
    // stores the converted value; a missing name stores the empty value of its type and gives false.
    bool Param(const char* name, SystemTime& value) override;
    bool Param(const char* name, double& value) override;
    bool Param(const char* name, float& value) override;
    bool Param(const char* name, std::int64_t& value) override;
    bool Param(const char* name, std::uint64_t& value) override;
    bool Param(const char* name, std::int32_t& value) override;
    bool Param(const char* name, std::uint32_t& value) override;
    bool Param(const char* name, std::uint16_t& value) override;
    bool Param(const char* name, std::int16_t& value) override;
    bool Param(const char* name, char* buffer, int size) override;
    bool Param(const char* name, std::string& value) override;

    const CCmdList& Pairs() const { return m_pairs; }

private:
    const char* Find(const char* name) const;

    int m_ownsCopy = 0;
    char* m_body = nullptr;
    CCmdList m_pairs;
};
