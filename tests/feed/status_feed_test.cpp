#include "feed/status_feed.h"
#include "support/event_wait.h"
#include "support/sim_process.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

StatusRecord Earlier()
{
    StatusRecord record;
    record.PlannedVolume = "p";
    record.OrderedVolume = "o";
    record.ShippedVolume = "s";
    record.RemainingVolume = "r";
    record.OperatingCount = 9;
    record.HiredCount = 9;
    record.WaitingCount = 9;
    record.PlantCaption = "earlier";
    record.Extra = "earlier";
    return record;
}

std::vector<std::string> Fields(const StatusRecord& r)
{
    return {r.PlannedVolume,
            r.OrderedVolume,
            r.ShippedVolume,
            r.RemainingVolume,
            std::to_string(r.OperatingCount),
            std::to_string(r.HiredCount),
            std::to_string(r.WaitingCount),
            r.PlantCaption,
            r.Extra};
}

} // namespace

TEST(StatusLine, FillsTheFieldsThatArePresent)
{
    struct Row
    {
        const char* name;
        std::string document;
        std::vector<std::string> fields;
    } rows[] = {
        {"all nine", "12|34|56|78|5|2|3|A|B", {"12", "34", "56", "78", "5", "2", "3", "A", "B"}},
        {"blanks and CR LF",
         " 12 | 34 |56|78|5|2|3\r\n",
         {"12", "34", "56", "78", "5", "2", "3", "earlier", "earlier"}},
        {"two fields", "12|34", {"12", "34", "s", "r", "9", "9", "9", "earlier", "earlier"}},
        {"counts read as atoi",
         "a|b|c|d|5\xB4\xEB|abc|-2",
         {"a", "b", "c", "d", "5", "0", "-2", "earlier", "earlier"}},
        {"empty first line", "\r\nsecond|line", {"", "o", "s", "r", "9", "9", "9", "earlier", "earlier"}},
        {"empty document", "", {"p", "o", "s", "r", "9", "9", "9", "earlier", "earlier"}},
        {"empty last piece dropped", "a|b|", {"a", "b", "s", "r", "9", "9", "9", "earlier", "earlier"}},
        {"leading separator", "|b", {"", "b", "s", "r", "9", "9", "9", "earlier", "earlier"}},
        {"only the first line",
         "1|2\n3|4|5|6|7|8|9|10|11",
         {"1", "2", "s", "r", "9", "9", "9", "earlier", "earlier"}},
        {"fields after the ninth ignored",
         "1|2|3|4|5|6|7|8|9|10",
         {"1", "2", "3", "4", "5", "6", "7", "8", "9"}},
        {"only one kind of blank trimmed",
         "\t 1|2 \t",
         {" 1", "2 ", "s", "r", "9", "9", "9", "earlier", "earlier"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StatusRecord record = Earlier();
        ApplyStatusDocument(row.document, record);
        EXPECT_EQ(Fields(record), row.fields);
    }
}

TEST(StatusLine, ReadsAtMostTheFirst1023Bytes)
{
    StatusRecord record = Earlier();
    ApplyStatusDocument(std::string(1020, 'x') + "|abcdef|z", record);
    EXPECT_EQ(record.PlannedVolume, std::string(1020, 'x'));
    EXPECT_EQ(record.OrderedVolume, "ab");
    EXPECT_EQ(record.ShippedVolume, "s");
}

TEST(StatusFeed, RefreshPeriods)
{
    EXPECT_EQ(CStatusFeed::RefreshPeriodMs(30), 30000);
    EXPECT_EQ(CStatusFeed::RefreshPeriodMs(1), 1000);
    EXPECT_EQ(CStatusFeed::RefreshPeriodMs(0), 1000);
    EXPECT_EQ(CStatusFeed::RefreshPeriodMs(-5), 1000);
    EXPECT_EQ(CStatusFeed::RefreshPeriodMs(INT_MAX), INT_MAX);
}

TEST(FeedFreshness, StaleAfterThreeMissedPeriodsAndNeverSoonerThanTenSeconds)
{
    EXPECT_EQ(CFeedFreshness::StaleAfterMs(2), 10000u);
    EXPECT_EQ(CFeedFreshness::StaleAfterMs(0), 10000u);
    EXPECT_EQ(CFeedFreshness::StaleAfterMs(5), 15000u);
    EXPECT_EQ(CFeedFreshness::StaleAfterMs(3600), 10800000u);

    // RefreshRate 2, started at tick 1000: a timeline of polls and clock ticks.
    const platform::LocalTime nine{2024, 3, 5, 2, 9, 12, 0, 0};
    enum class Step
    {
        Tick,
        Failed,
        Succeeded
    };
    const struct
    {
        const char* name;
        Step what;
        std::uint64_t at;
        bool changed;
        bool stale;
    } steps[] = {
        {"a failed poll at once is no outage", Step::Failed, 3000, false, false},
        {"just short of ten seconds", Step::Tick, 10999, false, false},
        {"ten seconds without a success", Step::Tick, 11000, true, true},
        {"staying stale is no change", Step::Failed, 13000, false, true},
        {"a success brings the figures back", Step::Succeeded, 14000, true, false},
        {"a success while fresh is no change", Step::Succeeded, 16000, false, false},
        {"counted from the last success", Step::Tick, 25999, false, false},
        {"stale again", Step::Tick, 26000, true, true},
    };
    CFeedFreshness freshness;
    freshness.Start(1000, 2);
    EXPECT_FALSE(freshness.HasSucceeded());
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        bool changed = false;
        if (step.what == Step::Tick) {
            changed = freshness.Tick(step.at);
        } else {
            changed = freshness.Polled(step.what == Step::Succeeded, step.at, nine);
        }
        EXPECT_EQ(changed, step.changed);
        EXPECT_EQ(freshness.Stale(), step.stale);
    }
    EXPECT_TRUE(freshness.HasSucceeded());
    EXPECT_EQ(freshness.LastSuccess().Minute, 12);
}

class Feed : public ::testing::Test
{
protected:
    TempEnv env; // TMPDIR: the poll's private files go here
    SimProcess sim{{"--feed-line", "12|34|56|78|5|2|3|제1공장|갱신", "--session", "kim=AC1", "--http-fault",
                    "/slow=slow-body", "--http-fault", "/cut=cut"}};
};

TEST_F(Feed, APollFillsTheRecordAndLeavesNoFileBehind)
{
    ASSERT_TRUE(sim.Ready());
    CStatusFeed feed([this](std::string& url) {
        url = sim.HttpUrl("/wginfo?userId=kim&authCode=AC1");
        return true;
    });
    std::vector<bool> polled;
    QObject::connect(&feed, &CStatusFeed::Polled, [&](bool downloaded) { polled.push_back(downloaded); });
    ASSERT_TRUE(feed.Poll());
    ASSERT_TRUE(WaitUntil([&] { return !polled.empty(); }));
    EXPECT_EQ(polled, std::vector<bool>{true});
    EXPECT_EQ(Fields(feed.Record()),
              (std::vector<std::string>{"12", "34", "56", "78", "5", "2", "3", Cp("제1공장"), Cp("갱신")}));
    EXPECT_TRUE(ListDir(env.Path("tmp")).empty());
}

TEST_F(Feed, AFailedPollChangesNothing)
{
    ASSERT_TRUE(sim.Ready());
    for (const char* path : {"/wginfo?userId=kim&authCode=WRONG", "/cut", "/nothing-here"}) {
        SCOPED_TRACE(path);
        CStatusFeed feed([this, path](std::string& url) {
            url = sim.HttpUrl(path);
            return true;
        });
        std::vector<bool> polled;
        QObject::connect(&feed, &CStatusFeed::Polled, [&](bool downloaded) { polled.push_back(downloaded); });
        feed.Poll();
        ASSERT_TRUE(WaitUntil([&] { return !polled.empty(); }));
        EXPECT_EQ(polled, std::vector<bool>{false});
        EXPECT_EQ(Fields(feed.Record()), Fields(StatusRecord{}));
        EXPECT_TRUE(ListDir(env.Path("tmp")).empty());
    }
}

TEST_F(Feed, PollsNeverOverlap)
{
    ASSERT_TRUE(sim.Ready());
    CStatusFeed feed([this](std::string& url) {
        url = sim.HttpUrl("/slow");
        return true;
    });
    int polls = 0;
    QObject::connect(&feed, &CStatusFeed::Polled, [&](bool) { ++polls; });
    EXPECT_TRUE(feed.Poll());
    EXPECT_TRUE(feed.Polling());
    EXPECT_FALSE(feed.Poll()) << "a poll is still running";
    ASSERT_TRUE(WaitUntil([&] { return polls == 1; }, 60000));
    EXPECT_FALSE(feed.Polling());
    EXPECT_TRUE(feed.Poll());
    feed.Stop();
    EXPECT_FALSE(feed.Polling()) << "stopping abandons the running poll";
    EXPECT_TRUE(ListDir(env.Path("tmp")).empty());
}

TEST_F(Feed, StartPollsAtOnceThenEveryPeriod)
{
    ASSERT_TRUE(sim.Ready());
    CStatusFeed feed([this](std::string& url) {
        url = sim.HttpUrl("/wginfo?userId=kim&authCode=AC1");
        return true;
    });
    int polls = 0;
    int ticks = 0;
    QObject::connect(&feed, &CStatusFeed::Polled, [&](bool) { ++polls; });
    QObject::connect(&feed, &CStatusFeed::ClockTick, [&] { ++ticks; });
    feed.Start(1);
    ASSERT_TRUE(WaitUntil([&] { return polls >= 3 && ticks >= 2; }, 20000));
    feed.Stop();
}
