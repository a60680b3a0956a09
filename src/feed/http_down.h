#pragma once

// One HTTP GET, into memory or into a file. A URL is split the way the dispatch service's addresses
// have always been read:
//
//   [http://]host[:port][/path?query]      no other scheme; "host:" gives port 0, which means 80
//
// Only a 2xx answer counts. The system's proxy settings apply, redirects are followed, no header of
// our own is added and nothing is cached. An address with no proxy in front of it is fetched by
// CDirectGet on this thread; one behind a proxy goes through Qt's network manager, which speaks to
// proxies of every kind. A dead or stalling server cannot hold a download forever:
// TransferTimeoutMs without progress, or TotalTimeoutMs in all, ends it as failed, and so does a body
// larger than MaxBodyBytes.

#include <QByteArray>
#include <QNetworkProxy>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CDirectGet;
class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

struct HttpTarget
{
    static constexpr std::size_t MaxHostLength = 1024;
    static constexpr std::size_t MaxPathLength = 1024;

    std::string Host;
    int Port = 80;
    std::string Path = "/";
};

// False when the host or the path is longer than the limits.
bool SplitHttpUrl(const std::string& url, HttpTarget& target);

// What a run of downloads from one caller shares, so that a download every second does not build and
// tear down a network manager and look the proxy up each time: the proxy the desktop names for the
// address, looked up again after any failed download (a proxy that has changed or gone), and, for
// downloads through a proxy, one network manager. Nothing of the answers is kept: every download still
// asks the server.
class CKvHttpSession
{
public:
    CKvHttpSession();
    CKvHttpSession(const CKvHttpSession&) = delete;
    CKvHttpSession& operator=(const CKvHttpSession&) = delete;
    ~CKvHttpSession();

    QNetworkProxy ProxyFor(const QUrl& url);
    // The manager the session's downloads through a proxy share; each sets the proxy it needs.
    QNetworkAccessManager& Manager();
    void Failed() { m_proxyKnown = false; }
    bool ProxyKnown() const { return m_proxyKnown; }

private:
    std::unique_ptr<QNetworkAccessManager> m_manager;
    QNetworkProxy m_proxy;
    bool m_proxyKnown = false;
};

class CKvHttpDown
{
public:
    static constexpr int TransferTimeoutMs = 30000;
    static constexpr int TotalTimeoutMs = 120000;
    static constexpr std::int64_t MaxBodyBytes = 16 * 1024 * 1024;
    static constexpr int DefaultFileCapacity = 5 * 1024 * 1024;
    static constexpr std::int64_t ReadAheadBytes = 1024 * 1024;

    using Completion = std::function<void(bool ok)>;

    // session: shared by the caller's downloads and outliving this one; null for a download of its own.
    explicit CKvHttpDown(CKvHttpSession* session = nullptr);
    CKvHttpDown(const CKvHttpDown&) = delete;
    CKvHttpDown& operator=(const CKvHttpDown&) = delete;
    virtual ~CKvHttpDown();

    // Sends the GET and waits, in a local event loop, until the answer is complete. True for a 2xx
    // answer; ContentLength then holds its Content-Length header, or 0.
    bool OpenUrl(const std::string& url);
    // The same without waiting: done runs on this thread's event loop when the answer is complete or
    // has failed. Destroying the object first cancels it, and done never runs.
    void OpenUrlAsync(const std::string& url, Completion done);
    // The whole body in a new zero-terminated buffer (delete[] it), grown by the given steps; null when
    // no answer is open. ContentLength becomes the number of body bytes.
    char* ReadAll(int capacity, int growth);
    void CloseRequest();

    // A complete body written to a new file at path; false, with no file made, when the download fails.
    static bool DownloadToFile(const std::string& url, const std::string& path);
    // Writes what an open answer holds, as DownloadToFile does once the download is in.
    bool WriteBodyToFile(const std::string& path);
    // The same into a file already open for writing, from its current offset.
    bool WriteBody(int fd);

    // The bound on a whole download, connection and answer together, for the downloads that follow.
    void SetTotalTimeout(int ms) { m_totalTimeoutMs = ms; }

    std::int32_t ContentLength = 0;
    const HttpTarget& Target() const { return m_target; }

private:
    // Through Qt's network manager: for an address behind a proxy, or a redirect to another scheme.
    void GetThroughManager(const QUrl& url, const QNetworkProxy& proxy);
    void Finish(bool ok);
    // Stops the deadline and lets go of the reply, the connection and a manager of its own.
    void ReleaseTransfer();
    // The whole body of an open answer, in the buffer sizes DownloadToFile has always used.
    std::unique_ptr<char[]> TakeBody();

    HttpTarget m_target;
    CKvHttpSession* m_session;
    QNetworkAccessManager* m_manager = nullptr; // owned when there is no session; released with deleteLater
    QNetworkReply* m_reply = nullptr;
    std::unique_ptr<CDirectGet> m_direct; // an address no proxy stands in front of
    QTimer m_deadline;
    std::shared_ptr<int> m_token;
    QByteArray m_body;
    bool m_open = false;
    int m_totalTimeoutMs = TotalTimeoutMs;
    Completion m_done;
};
