#pragma once

// What the stand-in dispatch server was told on its command line, and what it has handed out since.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

struct Account
{
    std::string Password;          // CP949
    std::string Perm = "01";       // UserPerm
    std::vector<std::string> Macs; // allowed hardware addresses; empty = any
};

// How a login is answered when it is not answered normally.
struct Fault
{
    enum Kind
    {
        None,
        Refuse,       // the header carries Code, with a body of pairs all the same
        Close,        // close without a reply
        CloseMidBody, // the header and half the body, then close
        Silent,       // never answer, keep the connection open
        Trickle,      // the normal reply, one byte a second
        Oversize,     // a Length larger than any client's receive area
        NegativeLength,
        EmptyOk,     // Result 0 with no body
        Stall,       // never accept connections (listener-wide)
        AcceptDelay, // accept only after DelayMs (listener-wide)
    } Type = None;
    int Code = 0;
    int DelayMs = 0;
};

// How an HTTP request is answered when it is not answered normally.
struct HttpFault
{
    enum Kind
    {
        None,
        Status,          // answer with Code and a short body
        SlowBody,        // the body five bytes a second
        Cut,             // announce the whole body, send half, close
        Huge,            // a 256 MiB body with its length announced
        HugeUnannounced, // 256 MiB without Content-Length
        NoLength,        // the body without Content-Length, ended by closing
        Chunked,         // the body in chunks
        Silent,          // read the request, never answer
        Redirect,        // 302 to the same path under /moved-here
    } Type = None;
    int Code = 0;
};

struct Config
{
    std::string Bind = "127.0.0.1";
    int LoginPort = 17100;
    std::map<std::string, Account> Accounts; // by identifier, CP949
    std::map<std::string, Fault> UserFaults;
    Fault AllFault;
    std::string Company = "C001";
    std::string Group = "G001";
    std::string Auth; // empty: a fresh code per run
    std::string LogPath;

    int HttpPort = 17180;
    int PublishedVersion = 1;
    std::string FeedLine;                        // CP949; empty: figures that move with the time of day
    std::map<std::string, HttpFault> PathFaults; // by path without the query
    HttpFault AllHttpFault;
};

// Shared by the listener threads.
struct State
{
    std::mutex Lock;
    std::map<std::string, std::string> AuthCodes; // identifier -> code handed out
    std::string RunAuthCode;
};

std::string ToCp949(const std::string& utf8);
std::string ToUtf8(const std::string& cp949);
void AppendLog(const Config& config, const std::string& line);

// Binds and listens; -1 on failure. port 0 takes any free port, reported through actualPort.
int Listen(const std::string& address, int port, int backlog, int& actualPort);

// Serve the login port and the HTTP port until the process ends.
void RunLoginServer(const Config& config, State& state, int listener);
void RunHttpServer(const Config& config, State& state, int listener);

// Socket helpers shared by both sides. AcceptLoop serves each connection on a thread of its own.
void AcceptLoop(int listener, const std::function<void(int)>& serve);
bool SendAll(int fd, const std::string& data);
void WaitForClose(int fd);

} // namespace sim
