#include "feed/status_feed.h"

#include "feed/http_down.h"
#include "log/file_log.h"
#include "platform/numbers.h"
#include "settings/ini_text.h"

#include <QDir>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::size_t kLineBufferSize = 1024;

} // namespace

void ApplyStatusDocument(const std::string& document, StatusRecord& record)
{
    if (document.empty()) {
        return;
    }
    // As a text-mode read of the first line: up to and with its line feed, at most 1,023 bytes, and a
    // CR LF at its end read as LF.
    std::size_t length = document.find('\n');
    length = length == std::string::npos ? document.size() : length + 1;
    length = std::min(length, kLineBufferSize - 1);
    std::string line = document.substr(0, length);
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) {
        line.erase(line.size() - 2, 1);
    }

    TokenList tokens;
    const int count = tokens.Split(line.c_str(), '|');
    if (count <= 0) {
        return;
    }
    tokens.TrimLeftAll();
    tokens.TrimRightAll();
    std::string* texts[] = {&record.PlannedVolume, &record.OrderedVolume, &record.ShippedVolume,
                            &record.RemainingVolume};
    std::int32_t* counts[] = {&record.OperatingCount, &record.HiredCount, &record.WaitingCount};
    for (int i = 0; i < count && i < 9; ++i) {
        const char* piece = tokens.Piece(i);
        if (i < 4) {
            *texts[i] = piece;
        } else if (i < 7) {
            *counts[i - 4] = platform::Atoi32(piece);
        } else if (i == 7) {
            record.PlantCaption = piece;
        } else {
            record.Extra = piece;
        }
    }
    tokens.Clear();
}

void ApplyStatusFile(std::FILE* file, StatusRecord& record)
{
    char line[kLineBufferSize];
    if (std::fgets(line, sizeof line, file) != nullptr) {
        ApplyStatusDocument(line, record);
    }
    std::fclose(file);
}

std::uint64_t CFeedFreshness::StaleAfterMs(int refreshRateSeconds)
{
    return std::max<std::uint64_t>(
        3 * static_cast<std::uint64_t>(CStatusFeed::RefreshPeriodMs(refreshRateSeconds)), 10000);
}

void CFeedFreshness::Start(std::uint64_t nowTick, int refreshRateSeconds)
{
    m_staleAfterMs = StaleAfterMs(refreshRateSeconds);
    m_since = nowTick;
    m_started = true;
    m_succeeded = false;
    m_stale = false;
}

bool CFeedFreshness::Polled(bool downloaded, std::uint64_t nowTick, const platform::LocalTime& now)
{
    if (!downloaded) {
        return Tick(nowTick);
    }
    m_since = nowTick;
    m_succeeded = true;
    m_lastSuccess = now;
    const bool wasStale = m_stale;
    m_stale = false;
    return wasStale;
}

bool CFeedFreshness::Tick(std::uint64_t nowTick)
{
    if (!m_started || m_stale || nowTick - m_since < m_staleAfterMs) {
        return false;
    }
    m_stale = true;
    return true;
}

int CStatusFeed::RefreshPeriodMs(int refreshRateSeconds)
{
    const long long seconds = refreshRateSeconds < 1 ? 1 : refreshRateSeconds;
    return static_cast<int>(std::min<long long>(seconds * 1000, INT_MAX));
}

CStatusFeed::CStatusFeed(std::function<bool(std::string&)> urlSource, QObject* parent)
    : QObject(parent), m_urlSource(std::move(urlSource)), m_session(std::make_unique<CKvHttpSession>())
{
    m_clock.setInterval(ClockPeriodMs);
    connect(&m_clock, &QTimer::timeout, this, [this] {
        CheckFreshness();
        emit ClockTick();
    });
    connect(&m_refresh, &QTimer::timeout, this, [this] { Poll(); });
}

CStatusFeed::~CStatusFeed() = default;

void CStatusFeed::Start(int refreshRateSeconds)
{
    m_freshness.Start(m_ticks(), refreshRateSeconds);
    Poll();
    m_clock.start();
    m_refresh.start(RefreshPeriodMs(refreshRateSeconds));
}

void CStatusFeed::Stop()
{
    m_clock.stop();
    m_refresh.stop();
    m_download.reset();
}

bool CStatusFeed::Poll()
{
    if (m_download != nullptr) {
        return false;
    }
    m_finished.reset();
    std::string url;
    m_urlSource(url);
    m_download = std::make_unique<CKvHttpDown>(m_session.get());
    m_download->OpenUrlAsync(url, [this](bool ok) { Finished(ok); });
    return true;
}

void CStatusFeed::Finished(bool ok)
{
    bool downloaded = false;
    if (ok) {
        // Through a private file of its own, as the document has always been read: a name nobody can
        // guess or take over first, out of the folder as soon as it is open, written once and read
        // back once through the same descriptor.
        std::string path = QDir::tempPath().toStdString() + "/pellamo-feed-XXXXXX";
        const int fd = mkostemp(path.data(), O_CLOEXEC);
        if (fd >= 0) {
            unlink(path.c_str());
            std::FILE* file = nullptr;
            if (m_download->WriteBody(fd) && lseek(fd, 0, SEEK_SET) == 0) {
                file = fdopen(fd, "r");
            }
            if (file != nullptr) {
                downloaded = true;
                ApplyStatusFile(file, m_record);
            } else {
                close(fd);
            }
        }
    }
    NoteFreshness(m_freshness.Polled(downloaded, m_ticks(), m_now()));
    // The downloader is inside its own completion here; it goes when the next poll starts.
    m_download->CloseRequest();
    m_finished = std::move(m_download);
    emit Polled(downloaded);
}

void CStatusFeed::ApplyDocument(const std::string& document)
{
    ApplyStatusDocument(document, m_record);
    NoteFreshness(m_freshness.Polled(true, m_ticks(), m_now()));
    emit Polled(true);
}

void CStatusFeed::CheckFreshness()
{
    NoteFreshness(m_freshness.Tick(m_ticks()));
}

void CStatusFeed::NoteFreshness(bool changed)
{
    if (!changed) {
        return;
    }
    // One line when the figures go stale and one when they are fresh again, never one per poll.
    if (!m_freshness.Stale()) {
        ProcessLog().WriteLog(7, "status feed: new figures, no longer stale\n");
    } else if (m_freshness.HasSucceeded()) {
        const platform::LocalTime& last = m_freshness.LastSuccess();
        ProcessLog().WriteLog(7, "status feed: no new figures since %02d:%02d:%02d, shown as stale\n",
                              last.Hour, last.Minute, last.Second);
    } else {
        ProcessLog().WriteLog(7, "status feed: no figures since the start, shown as stale\n");
    }
    emit FreshnessChanged(m_freshness.Stale());
}
