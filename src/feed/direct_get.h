#pragma once

// One HTTP/1.1 GET over a connection of its own to the server, read on the calling thread's event
// loop. Used by the downloader for every address that no proxy stands in front of: Qt's network
// manager would send each such request through a worker thread and read the answer's head a byte per
// system call, which at one poll a second costs more than the rest of the widget.
//
//   GET /path?query HTTP/1.1          the request, with no other header but these two
//   Host: host[:port]
//   Connection: close
//
// Answers framed by Content-Length, by chunks or by the end of the connection are read; 1xx heads are
// skipped; redirects to plain HTTP are followed here (at most MaxRedirects), one to any other scheme is
// handed back to the caller.

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <memory>

class QTcpSocket;

class CDirectGet : public QObject
{
public:
    static constexpr int MaxRedirects = 50;
    static constexpr int MaxHeadBytes = 64 * 1024;

    struct Answer
    {
        bool Complete = false; // a whole answer arrived (any status)
        int Status = 0;
        QByteArray ContentLength; // the header's text, empty when there was none
        QByteArray Body;
        QUrl Elsewhere; // a redirect this reader does not follow (another scheme)
    };
    using Done = std::function<void(const Answer&)>;

    // transferTimeoutMs: the longest wait for any progress; maxBody: a longer body fails.
    CDirectGet(int transferTimeoutMs, std::int64_t maxBody);
    CDirectGet(const CDirectGet&) = delete;
    CDirectGet& operator=(const CDirectGet&) = delete;
    // Abandons a request under way; done never runs after this.
    ~CDirectGet() override;
    // The same without destroying: for an owner inside one of this object's own calls, which then
    // lets it go with deleteLater.
    void Abandon();

    // done runs once, from the event loop, never from inside this call; it may abandon this object.
    void Start(const QUrl& url, Done done);

private:
    enum class Framing
    {
        Length,
        Chunked,
        UntilClose,
        None
    };

    void Connect(const QUrl& url);
    // Runs step from the event loop, unless the request is dropped first.
    void Later(std::function<void()> step);
    void Drop();
    void Received();
    void Closed();
    // Reads what has arrived; false when it has ended the request.
    bool ReadHead();
    bool ReadBody();
    bool ReadChunks();
    void Finish(bool complete);
    void Fail() { Finish(false); }

    int m_transferTimeoutMs;
    std::int64_t m_maxBody;
    Done m_done;
    QUrl m_url;
    int m_redirects = 0;
    QTcpSocket* m_socket = nullptr; // released with deleteLater: it may be inside its own signal
    QTimer m_idle;
    QTimer m_later;
    std::function<void()> m_next;
    QByteArray m_in;
    Answer m_answer;
    bool m_inBody = false;
    Framing m_framing = Framing::None;
    std::int64_t m_remaining = 0; // bytes of the body, or of the current chunk
    bool m_inTrailer = false;
};
