// The simulator's web side: the status feed for signed-in users, the published version file, and the
// service pages that the widget's page windows show.

#include "sim.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace sim {
namespace {

const char kPageTemplate[] = R"html(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>%TITLE%</title>
<style>body{font-family:sans-serif;margin:16px}#tall{height:2400px;border-left:4px solid #8aa}</style></head>
<body>
<h1 id="title">%TITLE%</h1>
<p>query: <code id="query"></code></p>
<p>external: <code id="external"></code></p>
<button id="alert" onclick="alert('%TITLE% 알림')">알림</button>
<a id="newwin" href="/page/popup" target="_blank">새 창</a>
<div id="tall">tall content</div>
<script>
document.getElementById('query').textContent = location.search;
var value;
try { value = window.external.xxyyzz; } catch (e) { value = 'error: ' + e; }
document.getElementById('external').textContent = String(value);
</script>
</body></html>
)html";

struct Request
{
    std::string Method;
    std::string Path;  // without the query
    std::string Query; // without the '?'
    std::string Target;
    bool Absolute = false; // the request named the whole address, as one sent to a proxy does
};

bool ReadRequest(int fd, Request& request)
{
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0 || head.size() > 16384) {
            return false;
        }
        head.append(buffer, static_cast<std::size_t>(n));
    }
    const std::size_t lineEnd = head.find("\r\n");
    const std::string line = head.substr(0, lineEnd);
    const std::size_t first = line.find(' ');
    const std::size_t second = line.find(' ', first + 1);
    if (first == std::string::npos || second == std::string::npos) {
        return false;
    }
    request.Method = line.substr(0, first);
    request.Target = line.substr(first + 1, second - first - 1);
    // A client that takes this server for its proxy names the whole address ("GET http://host/x"); it
    // is answered as the path it names, and the log says which form came.
    if (request.Target.rfind("http://", 0) == 0) {
        const std::size_t path = request.Target.find('/', 7);
        request.Target = path == std::string::npos ? "/" : request.Target.substr(path);
        request.Absolute = true;
    }
    const std::size_t question = request.Target.find('?');
    request.Path = request.Target.substr(0, question);
    request.Query = question == std::string::npos ? std::string() : request.Target.substr(question + 1);
    return true;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = static_cast<char>(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string PercentDecode(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

std::map<std::string, std::string> QueryValues(const std::string& query)
{
    std::map<std::string, std::string> values;
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos) {
            end = query.size();
        }
        const std::string item = query.substr(start, end - start);
        const std::size_t equals = item.find('=');
        if (equals != std::string::npos) {
            values.emplace(PercentDecode(item.substr(0, equals)), PercentDecode(item.substr(equals + 1)));
        }
        start = end + 1;
    }
    return values;
}

std::string MovingFeedLine()
{
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    const double minutes = t.tm_hour * 60 + t.tm_min + t.tm_sec / 60.0;
    double day = (minutes - 6 * 60) / (12 * 60); // the plants ship from 06:00 to 18:00
    day = day < 0 ? 0 : (day > 1 ? 1 : day);
    const double planned = 1280.0;
    const double ordered = 1195.5;
    const double shipped = ordered * day;
    char line[256];
    std::snprintf(line, sizeof line, "%.1f|%.1f|%.1f|%.1f|%d|%d|%d|%s|%s %02d:%02d\r\n", planned, ordered,
                  shipped, ordered - shipped, 8 + t.tm_min % 5, 2 + t.tm_hour % 3, 1 + t.tm_sec % 4,
                  ToCp949("제1공장").c_str(), ToCp949("갱신").c_str(), t.tm_hour, t.tm_min);
    return line;
}

std::string StatusText(int code)
{
    switch (code) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 302:
        return "Found";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

std::string Head(int code, const std::string& type, const std::string& extra)
{
    return "HTTP/1.1 " + std::to_string(code) + " " + StatusText(code) + "\r\nContent-Type: " + type +
           "\r\nConnection: close\r\n" + extra + "\r\n";
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// The normal answer for a path: code, content type and body.
void Answer(const Config& config, State& state, const Request& request, int& code, std::string& type,
            std::string& body)
{
    type = "text/plain; charset=euc-kr";
    if (request.Path == "/wginfo") {
        std::map<std::string, std::string> query = QueryValues(request.Query);
        std::lock_guard<std::mutex> hold(state.Lock);
        const auto issued = state.AuthCodes.find(query["userId"]);
        if (issued == state.AuthCodes.end() || issued->second != query["authCode"]) {
            code = 403;
            body = "not signed in\r\n";
            return;
        }
        code = 200;
        body = config.FeedLine.empty() ? MovingFeedLine() : config.FeedLine;
        return;
    }
    if (request.Path == "/version") {
        code = 200;
        body = "[Update]\r\nVersion=" + std::to_string(config.PublishedVersion) + "\r\n";
        return;
    }
    const std::pair<const char*, const char*> pages[] = {{"/map", "지도"},
                                                         {"/sites", "현장"},
                                                         {"/vehicles", "차량"},
                                                         {"/shipments", "출하"},
                                                         {"/sms", "SMS"},
                                                         {"/admin", "관리"},
                                                         {"/office", "사업소 시간대별 출하량"},
                                                         {"/weather", "날씨"},
                                                         {"/mileage", "마일리지"},
                                                         {"/page/popup", "새 창"}};
    for (const auto& [path, title] : pages) {
        if (request.Path == path) {
            code = 200;
            type = "text/html; charset=utf-8";
            body = Replace(kPageTemplate, "%TITLE%", title);
            return;
        }
    }
    code = 404;
    body = "no such page\r\n";
}

void Serve(const Config& config, State& state, int fd)
{
    Request request;
    if (!ReadRequest(fd, request)) {
        close(fd);
        return;
    }
    // A fault for the whole target ("/version?f=chunked") wins over one for its path.
    HttpFault fault = config.AllHttpFault;
    if (const auto own = config.PathFaults.find(request.Target); own != config.PathFaults.end()) {
        fault = own->second;
    } else if (const auto path = config.PathFaults.find(request.Path); path != config.PathFaults.end()) {
        fault = path->second;
    }
    Request answered = request;
    if (answered.Path.rfind("/moved-here", 0) == 0) {
        answered.Path = answered.Path.substr(11);
        answered.Target = answered.Target.substr(11);
        fault = HttpFault{};
    }
    int code = 200;
    std::string type;
    std::string body;
    Answer(config, state, answered, code, type, body);
    AppendLog(config, "http " + request.Method + " " + request.Target +
                          " fault=" + std::to_string(fault.Type) + (request.Absolute ? " as-proxy" : ""));

    const std::string length = "Content-Length: " + std::to_string(body.size()) + "\r\n";
    switch (fault.Type) {
    case HttpFault::Status:
        body = fault.Code == 204 ? std::string() : "status " + std::to_string(fault.Code) + "\r\n";
        SendAll(fd, Head(fault.Code, type,
                         fault.Code == 204 ? "" : "Content-Length: " + std::to_string(body.size()) + "\r\n") +
                        body);
        break;
    case HttpFault::SlowBody:
        if (SendAll(fd, Head(code, type, length))) {
            for (char c : body) {
                if (!SendAll(fd, std::string(1, c))) {
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
        }
        break;
    case HttpFault::Cut:
        SendAll(fd, Head(code, type, length) + body.substr(0, body.size() / 2));
        break;
    case HttpFault::Huge:
    case HttpFault::HugeUnannounced: {
        const std::size_t total = 256u * 1024 * 1024;
        const std::string block(65536, 'x');
        bool going = SendAll(fd, Head(200, type,
                                      fault.Type == HttpFault::Huge
                                          ? "Content-Length: " + std::to_string(total) + "\r\n"
                                          : std::string()));
        for (std::size_t sent = 0; going && sent < total; sent += block.size()) {
            going = SendAll(fd, block);
        }
        break;
    }
    case HttpFault::NoLength:
        SendAll(fd, Head(code, type, "") + body);
        break;
    case HttpFault::Chunked: {
        const std::size_t half = body.size() / 2;
        char sizes[2][32];
        std::snprintf(sizes[0], sizeof sizes[0], "%zx\r\n", half);
        std::snprintf(sizes[1], sizeof sizes[1], "%zx\r\n", body.size() - half);
        SendAll(fd, Head(code, type, "Transfer-Encoding: chunked\r\n") + sizes[0] + body.substr(0, half) +
                        "\r\n" + sizes[1] + body.substr(half) + "\r\n0\r\n\r\n");
        break;
    }
    case HttpFault::Silent:
        WaitForClose(fd);
        break;
    case HttpFault::Redirect:
        SendAll(fd, Head(302, type, "Location: /moved-here" + request.Target + "\r\nContent-Length: 0\r\n"));
        break;
    default:
        SendAll(fd, Head(code, type, length) + body);
        break;
    }
    shutdown(fd, SHUT_WR);
    close(fd);
}

} // namespace

void RunHttpServer(const Config& config, State& state, int listener)
{
    AcceptLoop(listener, [&config, &state](int fd) { Serve(config, state, fd); });
}

} // namespace sim
