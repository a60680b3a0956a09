#pragma once

// One sign-in exchange with the dispatch server over TCP. Every request and reply starts with an
// 8-byte header, little-endian on every host, followed by Length bytes of key/value body:
//
//   offset 0  u16 Command   0x012D for the login request
//   offset 2  u16 Result    0 in requests; in replies 0 = accepted, else the server's error code
//   offset 4  i32 Length    body bytes that follow (no terminating zero)
//
// Login request body: ID, PW, Mac (12 uppercase hex digits or empty), Type=1. Reply body: AuthCode,
// UserPerm, CompanyID, GroupID, and whatever else the server adds.

#include "serverlink/kv_cmd.h"

#include <cstdint>
#include <string>

struct PacketHeader
{
    static constexpr int Size = 8;
    static constexpr std::uint16_t LoginCommand = 0x012D;

    std::uint16_t Command = 0;
    std::uint16_t Result = 0;
    std::int32_t Length = 0;

    void Write(std::uint8_t* bytes) const;
    static PacketHeader Read(const std::uint8_t* bytes);
};

// Result codes that arise on this side of the connection.
enum LoginResult : int
{
    LoginAccepted = 0,
    ResultConnectFailed = 105,
    ResultSendFailed = 106,
    ResultReceiveFailed = 107,
    ResultReceiveTimeout = 108,
};

class CKvSocket
{
public:
    static constexpr int ConnectTimeoutMs = 5000;

    CKvSocket() = default;
    CKvSocket(const CKvSocket&) = delete;
    CKvSocket& operator=(const CKvSocket&) = delete;
    virtual ~CKvSocket();

    bool Create();
    // Connects the created socket; a dotted address is used as it is, anything else is looked up as
    // a host name. With the socket non-blocking a connect still in progress counts as failed.
    bool ResolveAndConnect(const char* address, int port);
    // The same, waiting at most ConnectTimeoutMs for the connection; the socket is blocking again
    // afterwards.
    bool ConnectWithTimeout(const char* address, int port);
    void CloseSocket();
    // Takes over a descriptor connected elsewhere (a socket pair in tests and fuzzing).
    void Attach(int handle);

    int Handle() const { return m_handle; }
    bool IsOpen() const { return m_handle >= 0; }

private:
    int m_handle = -1;
};

class ServerSession
{
public:
    static constexpr int ReceiveAreaSize = 10241;
    static constexpr int MaxBodyLength = ReceiveAreaSize - PacketHeader::Size - 1;
    static constexpr int ReceiveTimeoutMs = 10000;

    // Where the login's hardware address comes from; tests replace it.
    using MacAddressSource = std::string (*)();

    ServerSession();
    ServerSession(const ServerSession&) = delete;
    ServerSession& operator=(const ServerSession&) = delete;
    virtual ~ServerSession() = default;

    // Closes whatever an earlier attempt left open, then connects within 5,000 ms.
    bool ConnectServer(const char* address, int port);
    // 0 when the server accepted, 106 to 108 from this side, or the server's own result code.
    int SendLogin(const std::string& id, const std::string& password);
    int ReceiveReply();
    // Reads exactly count bytes within ReceiveTimeoutMs of the call: 0, 107 (closed or failed) or 108.
    int ReceiveExact(int count, std::uint8_t* destination);

    CKvRcvCmd& Reply() { return m_reply; }
    CKvSocket& Socket() { return m_socket; }
    PacketHeader ReplyHeader() const { return PacketHeader::Read(m_receive); }
    void SetMacAddressSource(MacAddressSource source) { m_macSource = source; }

private:
    std::uint8_t m_receive[ReceiveAreaSize] = {};
    CKvSocket m_socket;
    CKvRcvCmd m_reply;
    MacAddressSource m_macSource;
};

// Fills request with the login pairs in their order and its header.
void BuildLoginRequest(CKvSndCmd& request, const std::string& id, const std::string& password,
                       const std::string& macAddress);
