#include "feed/http_down.h"
#include "support/event_wait.h"
#include "support/sim_process.h"
#include "support/temp_env.h"

#include <QNetworkProxyFactory>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sys/resource.h>

namespace {

long PeakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::string Download(const std::string& url, bool& ok)
{
    CKvHttpDown down;
    ok = down.OpenUrl(url);
    if (!ok) {
        return {};
    }
    std::unique_ptr<char[]> body(down.ReadAll(1000, 1000));
    return body == nullptr ? std::string("<null>")
                           : std::string(body.get(), static_cast<std::size_t>(down.ContentLength));
}

const char kVersionText[] = "[Update]\r\nVersion=7\r\n";

// The desktop names the simulator itself as the HTTP proxy for every address, for as long as it lives.
class SimAsProxy : public QNetworkProxyFactory
{
public:
    explicit SimAsProxy(int port) : m_port(port) {}
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery&) override
    {
        return {QNetworkProxy(QNetworkProxy::HttpProxy, "127.0.0.1", static_cast<quint16>(m_port))};
    }

private:
    int m_port;
};

// A download goes straight to the server, or through Qt's network manager when the desktop names a
// proxy: both ways are held to the same answers.
class HttpDownBothWays : public ::testing::TestWithParam<bool>
{
protected:
    void Through(const SimProcess& sim)
    {
        CKvHttpDown first; // the downloader's own proxy set-up is done before ours replaces it
        if (GetParam()) {
            QNetworkProxyFactory::setApplicationProxyFactory(new SimAsProxy(sim.HttpPort()));
        }
    }
    void TearDown() override { QNetworkProxyFactory::setUseSystemConfiguration(true); }
    bool Proxied() const { return GetParam(); }
    // Qt never sends loopback addresses through a proxy: through one, the server is named by a name
    // that only the proxy (the simulator) answers for.
    std::string Address(const SimProcess& sim, const std::string& path) const
    {
        return (Proxied() ? "dispatch.invalid:" : "127.0.0.1:") + std::to_string(sim.HttpPort()) + path;
    }
    std::string Url(const SimProcess& sim, const std::string& path) const
    {
        return "http://" + Address(sim, path);
    }
};

INSTANTIATE_TEST_SUITE_P(, HttpDownBothWays, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "ThroughAProxy" : "Direct"; });

} // namespace

TEST(SplitHttpUrl, ReadsAddressesTheOldWay)
{
    struct Row
    {
        const char* url;
        std::string host;
        int port;
        std::string path;
    } rows[] = {
        {"http://host/a/b?x=1", "host", 80, "/a/b?x=1"},
        {"HTTP://Host:8080/x", "Host", 8080, "/x"},
        {"host/x", "host", 80, "/x"},
        {"http://host", "host", 80, "/"},
        {"http://host:/x", "host", 0, "/x"},
        {"https://host/x", "https", 0, "//host/x"},
        {"http://", "http", 0, "//"},
        {"", "", 80, "/"},
        {"http://h:81?q=/a", "h", 81, "/a"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        HttpTarget target;
        ASSERT_TRUE(SplitHttpUrl(row.url, target));
        EXPECT_EQ(target.Host, row.host);
        EXPECT_EQ(target.Port, row.port);
        EXPECT_EQ(target.Path, row.path);
    }
    HttpTarget target;
    EXPECT_FALSE(SplitHttpUrl("http://" + std::string(1025, 'h') + "/", target));
    EXPECT_FALSE(SplitHttpUrl("http://h/" + std::string(1024, 'p'), target));
    EXPECT_TRUE(SplitHttpUrl("http://" + std::string(1024, 'h') + "/" + std::string(1023, 'p'), target));
}

TEST_P(HttpDownBothWays, BodiesInEveryFraming)
{
    TempEnv env;
    SimProcess sim({"--published-version", "7", "--http-fault", "/version?f=nolength=no-length",
                    "--http-fault", "/version?f=chunked=chunked", "--http-fault",
                    "/version?f=moved=redirect"});
    ASSERT_TRUE(sim.Ready());
    Through(sim);
    struct Row
    {
        const char* name;
        std::string url;
        int contentLength; // as announced, read by OpenUrl
    } rows[] = {
        {"with Content-Length", Url(sim, "/version"), 21},
        {"without scheme", Address(sim, "/version"), 21},
        {"without Content-Length", Url(sim, "/version?f=nolength"), 0},
        {"chunked", Url(sim, "/version?f=chunked"), 0},
        {"redirected", Url(sim, "/version?f=moved"), 21},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CKvHttpDown down;
        ASSERT_TRUE(down.OpenUrl(row.url));
        EXPECT_EQ(down.ContentLength, row.contentLength);
        std::unique_ptr<char[]> body(down.ReadAll(8, 8));
        ASSERT_NE(body, nullptr);
        EXPECT_STREQ(body.get(), kVersionText);
        EXPECT_EQ(down.ContentLength, 21);
        down.CloseRequest();
        EXPECT_EQ(down.ContentLength, 0);
        EXPECT_EQ(down.ReadAll(8, 8), nullptr) << "nothing open after CloseRequest";
    }
    const std::vector<std::string> requests = sim.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().find(" as-proxy") != std::string::npos, Proxied()) << requests.back();
}

TEST_P(HttpDownBothWays, OnlyACompleteTwoHundredCounts)
{
    TempEnv env;
    SimProcess sim({"--http-fault", "/notfound=status:404", "--http-fault", "/broken=status:500",
                    "--http-fault", "/cut=cut", "--http-fault", "/empty=status:204", "--http-fault",
                    "/huge=huge"});
    ASSERT_TRUE(sim.Ready());
    Through(sim);
    struct Row
    {
        const char* name;
        std::string path;
        bool ok;
    } rows[] = {
        {"404", "/notfound", false},
        {"500", "/broken", false},
        {"403 from the feed", "/wginfo", false},
        {"cut in the middle", "/cut", false},
        {"announced too large", "/huge", false},
        {"204 without body", "/empty", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        bool ok = false;
        const std::string body = Download(Url(sim, row.path), ok);
        EXPECT_EQ(ok, row.ok);
        if (row.ok) {
            EXPECT_EQ(body, "");
        }
    }
    if (Proxied()) {
        return; // the simulator as a proxy answers for any host
    }
    bool ok = true;
    Download("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/version", ok);
    EXPECT_FALSE(ok) << "nobody listening";
    Download("https://127.0.0.1/version", ok);
    EXPECT_FALSE(ok) << "https is not a scheme this reader knows";
}

TEST(HttpDown, DownloadToFileWritesTheWholeBodyOrNothing)
{
    TempEnv env;
    SimProcess sim({"--http-fault", "/empty=status:204", "--http-fault", "/cut=cut"});
    ASSERT_TRUE(sim.Ready());
    EXPECT_TRUE(CKvHttpDown::DownloadToFile(sim.HttpUrl("/version"), env.Path("v")));
    EXPECT_EQ(ReadFile(env.Path("v")), "[Update]\r\nVersion=1\r\n");
    EXPECT_TRUE(CKvHttpDown::DownloadToFile(sim.HttpUrl("/empty"), env.Path("e")));
    EXPECT_TRUE(Exists(env.Path("e")));
    EXPECT_EQ(ReadFile(env.Path("e")), "");
    EXPECT_FALSE(CKvHttpDown::DownloadToFile(sim.HttpUrl("/cut"), env.Path("c")));
    EXPECT_FALSE(Exists(env.Path("c")));
    EXPECT_FALSE(CKvHttpDown::DownloadToFile(sim.HttpUrl("/version"), env.Path("missing/dir/f")));
}

TEST(HttpDown, AnEndlessBodyStopsAtTheCap)
{
    TempEnv env;
    SimProcess sim({"--http-fault", "/endless=huge-unannounced"});
    ASSERT_TRUE(sim.Ready());
    const long before = PeakResidentKiB();
    bool ok = true;
    Download(sim.HttpUrl("/endless"), ok);
    EXPECT_FALSE(ok);
#if !defined(__SANITIZE_ADDRESS__) // its quarantine keeps freed buffers resident
    const long grownMiB = (PeakResidentKiB() - before) / 1024;
    EXPECT_LT(grownMiB, 100) << "a 256 MiB body was not held";
#else
    (void)before;
#endif
}

TEST(HttpDown, ASilentServerFailsWithinTheLimits)
{
    TempEnv env;
    SimProcess sim({"--http-fault", "silent"});
    ASSERT_TRUE(sim.Ready());
    const auto start = std::chrono::steady_clock::now();
    bool ok = true;
    Download(sim.HttpUrl("/version"), ok);
    EXPECT_FALSE(ok);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, CKvHttpDown::TotalTimeoutMs / 1000.0 + 15);
}

TEST(HttpDown, AsynchronousAnswersComeFromTheEventLoop)
{
    TempEnv env;
    SimProcess sim({});
    ASSERT_TRUE(sim.Ready());
    CKvHttpDown down;
    int calls = 0;
    bool result = true;
    down.OpenUrlAsync("http://" + std::string(2000, 'h') + "/", [&](bool ok) {
        ++calls;
        result = ok;
    });
    EXPECT_EQ(calls, 0) << "not from inside the call";
    ASSERT_TRUE(WaitUntil([&] { return calls == 1; }));
    EXPECT_FALSE(result);

    // A download abandoned before its answer never reports.
    auto abandoned = std::make_unique<CKvHttpDown>();
    bool reported = false;
    abandoned->OpenUrlAsync(sim.HttpUrl("/version"), [&](bool) { reported = true; });
    abandoned.reset();
    WaitUntil([] { return false; }, 500);
    EXPECT_FALSE(reported);
}

TEST_P(HttpDownBothWays, SendsTheAddressesOwnBytes)
{
    TempEnv env;
    SimProcess sim({"--published-version", "7"});
    ASSERT_TRUE(sim.Ready());
    Through(sim);
    const struct
    {
        const char* name;
        std::string path;
        std::string sent;
    } rows[] = {
        {"Korean bytes percent-encoded", "/version/\xBA\xBB\xBB\xE7?g=\xBA\xBB",
         "/version/%BA%BB%BB%E7?g=%BA%BB"},
        {"ASCII unchanged", "/version?userId=kim&authCode=A%2B1", "/version?userId=kim&authCode=A%2B1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        bool ok = false;
        Download(Url(sim, row.path), ok);
        const std::vector<std::string> requests = sim.Requests();
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(requests.back().find(" as-proxy") != std::string::npos, Proxied()) << requests.back();
        EXPECT_EQ(requests.back().rfind("http GET " + row.sent + " ", 0), 0u) << requests.back();
    }
}

TEST(HttpDown, ASessionLooksTheProxyUpAgainAfterAFailure)
{
    TempEnv env;
    SimProcess sim({"--http-fault", "/notfound=status:404"});
    ASSERT_TRUE(sim.Ready());
    CKvHttpSession session;
    const struct
    {
        const char* name;
        std::string path;
        bool ok;
    } rows[] = {{"an answer", "/version", true},
                {"a refusal", "/notfound", false},
                {"an answer again", "/version", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CKvHttpDown down(&session);
        EXPECT_EQ(down.OpenUrl(sim.HttpUrl(row.path)), row.ok);
        EXPECT_EQ(session.ProxyKnown(), row.ok) << "a proxy that may have changed is asked for again";
    }
}
