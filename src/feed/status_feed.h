#pragma once

// The status feed: an HTTP document whose first line holds the day's figures, CP949, split at '|':
//
//   planned|ordered|shipped|remaining|operating|hired|waiting|plant caption|extra
//   1200.0|1100.0|640.5|459.5|12|3|4|제1공장|갱신 10:35
//
// Volumes are kept as the text they arrive in; the three counts are read as atoi reads them. A line
// with fewer fields updates only those present; fields after the ninth are ignored.

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CKvHttpDown;

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
// The same from a file: what a poll does with its download. False when the file cannot be read.
bool ApplyStatusFile(const std::string& path, StatusRecord& record);

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
    void ApplyDocument(const std::string& document) { ApplyStatusDocument(document, m_record); }
    bool Polling() const { return m_download != nullptr; }

signals:
    void ClockTick();
    // A poll has ended; downloaded says whether the record was refreshed from a new document.
    void Polled(bool downloaded);

private:
    void Finished(bool ok);

    std::function<bool(std::string&)> m_urlSource;
    StatusRecord m_record;
    std::unique_ptr<CKvHttpDown> m_download;
    QTimer m_clock;
    QTimer m_refresh;
};
