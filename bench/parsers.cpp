// Throughput of the INI text parser, the key/value body parser and the feed-line parse, each against
// libinih parsing the same bytes, measured in one run. Prints MB/s and the ratio; never fails.
#include "feed/status_feed.h"
#include "serverlink/kv_cmd.h"
#include "settings/ini_text.h"

#include <ini.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

int CountPair(void* user, const char*, const char*, const char*)
{
    ++*static_cast<long*>(user);
    return 1;
}

// Megabytes per second of work over bytes, repeated for at least half a second.
double Throughput(std::size_t bytes, const std::function<void()>& work)
{
    using Clock = std::chrono::steady_clock;
    work(); // warm
    long rounds = 0;
    const auto start = Clock::now();
    double seconds = 0;
    do {
        work();
        ++rounds;
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (seconds < 0.5);
    return static_cast<double>(bytes) * static_cast<double>(rounds) / seconds / 1e6;
}

void Report(const char* what, std::size_t bytes, const std::function<void()>& ours, const std::string& text)
{
    const double mine = Throughput(bytes, ours);
    const double theirs = Throughput(bytes, [&text] {
        long pairs = 0;
        ini_parse_string(text.c_str(), &CountPair, &pairs);
    });
    std::printf("| %s | %zu | %.1f | %.1f | %.2f |\n", what, bytes, mine, theirs, mine / theirs);
}

} // namespace

int main()
{
    std::string ini;
    for (int s = 0; s < 2000; ++s) {
        ini += "[Section" + std::to_string(s) + "]\r\n";
        for (int k = 0; k < 10; ++k) {
            ini += "Key" + std::to_string(k) + " = value " + std::to_string(s * 10 + k) + " ; note\r\n";
        }
    }
    std::string body;
    for (int k = 0; body.size() < 10000; ++k) {
        body += "Key" + std::to_string(k) + "=Value" + std::to_string(k) + "\x01";
    }
    const std::string line = "1280.0|1195.5|485.6|709.9|10|3|3|\xBA\xBB\xBB\xE7|B\r\n";

    std::printf(
        "| text | bytes | ours MB/s | libinih MB/s | ours / libinih |\n| --- | --- | --- | --- | --- |\n");
    Report(
        "INI text (2,000 sections x 10 keys)", ini.size(),
        [&ini] {
            CKvIniFileEx parsed;
            parsed.Parse(ini.c_str());
        },
        ini);
    std::vector<char> copy(body.begin(), body.end());
    copy.push_back('\0');
    Report(
        "key/value reply body (10 KB)", body.size(),
        [&body, &copy] {
            CKvRcvCmd reply;
            reply.ParseBody(static_cast<int>(body.size()), copy.data(), 1);
        },
        body);
    Report(
        "feed line", line.size(),
        [&line] {
            StatusRecord record;
            ApplyStatusDocument(line, record);
        },
        line);
    return 0;
}
