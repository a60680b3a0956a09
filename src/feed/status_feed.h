#pragma once

// The status feed: an HTTP document whose first line holds the day's figures, CP949, split at '|':
//
//   planned|ordered|shipped|remaining|operating|hired|waiting|plant caption|extra
//   1200.0|1100.0|640.5|459.5|12|3|4|제1공장|갱신 10:35
//
// Volumes are kept as the text they arrive in; the three counts are read as atoi reads them. A line
// with fewer fields updates only those present; fields after the ninth are ignored.

#include "platform/clock.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

class CKvHttpDown;
class CKvHttpSession;

struct StatusRecord
{
    std::string PlannedVolume;
    std::string OrderedVolume;
    std::string ShippedVolume;
    std::string RemainingVolume;
    std::int32_t OperatingCount = 0;
    std::int32_t HiredCount = 0;
    std::int32_t WaitingCount = 0;
    std::string PlantCaption;
    std::string Extra;
};

// Applies a document's first line (at most 1,023 bytes, CR LF read as LF) to the record.
void ApplyStatusDocument(const std::string& document, StatusRecord& record);
// The same from a file open for reading at its start, which it closes: what a poll does with its
// download.
void ApplyStatusFile(std::FILE* file, StatusRecord& record);

// Whether the figures shown are still those of a recent poll. They are stale once no poll has
// succeeded for three refresh periods, and never sooner than 10 s, counted from the last success or,
// before any, from the start: one missed poll is not an outage.
class CFeedFreshness
{
public:
    static std::uint64_t StaleAfterMs(int refreshRateSeconds);

    void Start(std::uint64_t nowTick, int refreshRateSeconds);
    // A poll has ended. True when that changed whether the figures are stale.
    bool Polled(bool downloaded, std::uint64_t nowTick, const platform::LocalTime& now);
    // Time has passed. True when the figures have just become stale.
    bool Tick(std::uint64_t nowTick);

    bool Stale() const { return m_stale; }
    bool HasSucceeded() const { return m_succeeded; }
    // The local time of the last successful poll; meaningful once one has succeeded.
    const platform::LocalTime& LastSuccess() const { return m_lastSuccess; }

private:
    std::uint64_t m_staleAfterMs = 0;
    std::uint64_t m_since = 0;
    bool m_started = false;
    bool m_succeeded = false;
    bool m_stale = false;
    platform::LocalTime m_lastSuccess;
};

// The clock tick and the refresh period of the main widget window, and the poll they drive. One poll
// at a time: a period that ends while a poll is still running is skipped. Everything runs on the
// event loop of the thread that owns the object; nothing blocks it.
class CStatusFeed : public QObject
{
    Q_OBJECT
public:
    static constexpr int ClockPeriodMs = 1000;
    // A refresh rate of 0 or less (a file that means "unset") polls once a second, the fastest the file
    // can ask for, rather than spinning.
    static int RefreshPeriodMs(int refreshRateSeconds);

    // urlSource builds the feed address for each poll; false means there is none.
    explicit CStatusFeed(std::function<bool(std::string&)> urlSource, QObject* parent = nullptr);
    ~CStatusFeed() override;

    // One poll now, then the clock every second and a poll every refresh period.
    void Start(int refreshRateSeconds);
    void Stop();
    // Starts one poll unless one is running; false when it was skipped.
    bool Poll();

    const StatusRecord& Record() const { return m_record; }
    // Applies a document as a completed poll would (without the download).
    void ApplyDocument(const std::string& document);
    bool Polling() const { return m_download != nullptr; }
    const CFeedFreshness& Freshness() const { return m_freshness; }
    // Looks whether the figures have become stale, as every clock tick does.
    void CheckFreshness();

    // The clocks the feed reads; tests set their own.
    void SetTimeSource(platform::LocalTimeSource source) { m_now = source; }
    void SetTickSource(platform::TickSource source) { m_ticks = source; }

signals:
    void ClockTick();
    // A poll has ended; downloaded says whether the record was refreshed from a new document.
    void Polled(bool downloaded);
    // The figures have become stale, or fresh again.
    void FreshnessChanged(bool stale);

private:
    void Finished(bool ok);
    void NoteFreshness(bool changed);

    std::function<bool(std::string&)> m_urlSource;
    StatusRecord m_record;
    CFeedFreshness m_freshness;
    platform::LocalTimeSource m_now = &platform::GetLocalTime;
    platform::TickSource m_ticks = &platform::GetTickCount64;
    std::unique_ptr<CKvHttpSession> m_session;
    std::unique_ptr<CKvHttpDown> m_download;
    std::unique_ptr<CKvHttpDown> m_finished; // the last poll's, kept until it has returned
    QTimer m_clock;
    QTimer m_refresh;
};
