#include "feed/direct_get.h"
#include "support/event_wait.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace {

// A server on loopback that answers every connection with the next canned answer, written at once or
// a byte at a time, then closes it; it keeps the requests it read.
class CannedServer
{
public:
    explicit CannedServer(std::vector<QByteArray> answers, bool bytewise = false)
        : m_answers(std::move(answers)), m_bytewise(bytewise)
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Answer(socket); });
            }
        });
    }
    QUrl Url(const QByteArray& path) const
    {
        return QUrl::fromEncoded("http://127.0.0.1:" + QByteArray::number(m_server.serverPort()) + path);
    }
    std::vector<QByteArray> requests;

private:
    void Answer(QTcpSocket* socket)
    {
        QByteArray& request = m_partial[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n")) {
            return;
        }
        requests.push_back(request);
        const QByteArray answer = m_next < m_answers.size() ? m_answers[m_next++] : QByteArray();
        if (m_bytewise) {
            WriteFrom(socket, answer, 0);
        } else {
            socket->write(answer);
            socket->disconnectFromHost();
        }
    }
    // One byte now and the rest from later turns of the event loop, so that the reader sees them apart.
    static void WriteFrom(QTcpSocket* socket, const QByteArray& answer, qsizetype at)
    {
        if (at >= answer.size()) {
            socket->disconnectFromHost();
            return;
        }
        socket->write(answer.constData() + at, 1);
        socket->flush();
        QTimer::singleShot(1, socket, [socket, answer, at] { WriteFrom(socket, answer, at + 1); });
    }

    QTcpServer m_server;
    std::vector<QByteArray> m_answers;
    std::size_t m_next = 0;
    bool m_bytewise;
    std::map<QTcpSocket*, QByteArray> m_partial;
};

CDirectGet::Answer Get(const QUrl& url, std::int64_t maxBody = 1 << 20)
{
    CDirectGet get(5000, maxBody);
    CDirectGet::Answer result;
    bool done = false;
    get.Start(url, [&](const CDirectGet::Answer& answer) {
        result = answer;
        done = true;
    });
    EXPECT_FALSE(done) << "never from inside Start";
    EXPECT_TRUE(WaitUntil([&] { return done; }));
    return result;
}

} // namespace

TEST(DirectGet, ReadsEveryFramingAndRefusesBrokenAnswers)
{
    const struct
    {
        const char* name;
        QByteArray answer;
        bool complete;
        int status;
        QByteArray body;
    } rows[] = {
        {"Content-Length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", true, 200, "hello"},
        {"bytes after the announced length are not body", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhello",
         true, 200, "he"},
        {"chunks with an extension and a trailer",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3;x=1\r\nhel\r\n2\r\nlo\r\n0\r\nT: 1\r\n\r\n",
         true, 200, "hello"},
        {"until the connection ends", "HTTP/1.0 200 OK\r\n\r\nhello", true, 200, "hello"},
        {"bare line feeds", "HTTP/1.1 200 OK\nContent-Length: 5\n\nhello", true, 200, "hello"},
        {"an interim answer first",
         "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nx", true, 200, "x"},
        {"204 has no body", "HTTP/1.1 204 No Content\r\n\r\n", true, 204, ""},
        {"a 404 is a whole answer", "HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\nno", true, 404, "no"},
        {"cut before the announced end", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nhello", false, 200, ""},
        {"cut inside the chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel", false, 200,
         ""},
        {"a length that is not a number", "HTTP/1.1 200 OK\r\nContent-Length: 5x\r\n\r\nhello", false, 200,
         ""},
        {"a length over the limit", "HTTP/1.1 200 OK\r\nContent-Length: 2000000\r\n\r\n", false, 200, ""},
        {"a chunk over the limit", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n200000\r\n", false,
         200, ""},
        {"not HTTP", "SSH-2.0-OpenSSH\r\n\r\n", false, 0, ""},
        {"a head that never ends", "HTTP/1.1 200 OK\r\nX: " + QByteArray(70000, 'a'), false, 200, ""},
        {"nothing at all", "", false, 0, ""},
    };
    for (const bool bytewise : {false, true}) {
        for (const auto& row : rows) {
            if (bytewise && row.answer.size() > 1000) {
                continue;
            }
            SCOPED_TRACE(std::string(row.name) + (bytewise ? ", a byte at a time" : ""));
            CannedServer server({row.answer}, bytewise);
            const CDirectGet::Answer answer = Get(server.Url("/x"));
            EXPECT_EQ(answer.Complete, row.complete);
            if (row.complete) {
                EXPECT_EQ(answer.Status, row.status);
                EXPECT_EQ(answer.Body, row.body);
            }
        }
    }
}

TEST(DirectGet, SendsOnlyTheRequestLineHostAndClose)
{
    CannedServer server({"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"});
    ASSERT_TRUE(Get(server.Url("/wginfo/%BA%BB?userId=kim&authCode=A%2B1")).Complete);
    ASSERT_EQ(server.requests.size(), 1u);
    const QUrl url = server.Url("/");
    EXPECT_EQ(server.requests[0],
              "GET /wginfo/%BA%BB?userId=kim&authCode=A%2B1 HTTP/1.1\r\nHost: 127.0.0.1:" +
                  QByteArray::number(url.port()) + "\r\nConnection: close\r\n\r\n");
}

TEST(DirectGet, FollowsRedirectsWithinLimits)
{
    // Relative and absolute places, then the answer.
    CannedServer chain({"HTTP/1.1 302 Found\r\nLocation: /second\r\nContent-Length: 0\r\n\r\n",
                        "HTTP/1.1 301 Moved\r\nLocation: /third?q=1\r\n\r\n",
                        "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\ndone"});
    CDirectGet::Answer answer = Get(chain.Url("/first"));
    EXPECT_TRUE(answer.Complete);
    EXPECT_EQ(answer.Body, "done");
    ASSERT_EQ(chain.requests.size(), 3u);
    EXPECT_TRUE(chain.requests[2].startsWith("GET /third?q=1 HTTP/1.1\r\n"));

    // A server that sends the reader round in circles is left after the limit.
    std::vector<QByteArray> loop(CDirectGet::MaxRedirects + 5,
                                 "HTTP/1.1 302 Found\r\nLocation: /again\r\n\r\n");
    CannedServer circle(loop);
    answer = Get(circle.Url("/again"));
    EXPECT_FALSE(answer.Complete);
    EXPECT_EQ(circle.requests.size(), static_cast<std::size_t>(CDirectGet::MaxRedirects + 1));

    // A redirect to another scheme is handed back, not followed here.
    CannedServer secure({"HTTP/1.1 302 Found\r\nLocation: https://127.0.0.1/x\r\n\r\n"});
    answer = Get(secure.Url("/x"));
    EXPECT_FALSE(answer.Complete);
    EXPECT_EQ(answer.Elsewhere, QUrl("https://127.0.0.1/x"));
}

TEST(DirectGet, AnAbandonedRequestNeverReports)
{
    CannedServer server({"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nx"});
    auto get = std::make_unique<CDirectGet>(5000, 1024);
    bool reported = false;
    get->Start(server.Url("/x"), [&](const CDirectGet::Answer&) { reported = true; });
    get.reset();
    WaitUntil([] { return false; }, 300);
    EXPECT_FALSE(reported);
}
