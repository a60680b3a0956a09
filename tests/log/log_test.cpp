#include "log/file_log.h"
#include "log/sync.h"
#include "platform/paths.h"
#include "support/failing_writer.h"
#include "support/fake_clock.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

void SetNow(int year, int month, int day, int hour, int minute, int second)
{
    FakeClock::Set(year, month, day, 0, hour, minute, second);
}

class FileLog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetNow(2024, 3, 5, 7, 8, 9);
        log.SetTimeSource(FakeClock::Source());
        ASSERT_TRUE(log.SetDirectory(env.Path("logs")));
    }

    std::string Day(const char* name) { return ReadFile(env.Path("logs/") + name); }

    TempEnv env;
    CSnLog log{7};
};

class RefusingLock : public IKvSyncObject
{
public:
    bool Lock() override { return false; }
    bool Unlock() override
    {
        ++unlocks;
        return true;
    }
    int unlocks = 0;
};

} // namespace

TEST_F(FileLog, WritesTheLineFormatWithCrLf)
{
    log.WriteLog(7, "ethernet %s\n", "001122AABBCC");
    log.WriteLog(7, "%s\n", "two\nlines");
    EXPECT_EQ(Day("20240305.log"), "[7] 03/05 07:08:09 ethernet 001122AABBCC\r\n"
                                   "[7] 03/05 07:08:09 two\r\nlines\r\n");
}

TEST_F(FileLog, WritesOnlyWhatTheLevelAllows)
{
    struct Row
    {
        const char* name;
        int threshold;
        int level;
        bool written;
    } rows[] = {
        {"same level", 7, 7, true},
        {"lower level", 7, 0, true},
        {"higher level", 7, 8, false},
        {"negative threshold", -1, -1, false},
        {"negative threshold, lower level", -1, -5, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CKvFileLog one(row.threshold);
        one.SetTimeSource(FakeClock::Source());
        one.SetDirectory(env.Path(row.name));
        one.WriteLog(row.level, "x\n");
        EXPECT_EQ(Exists(env.Path(row.name) + "/20240305.log"), row.written);
    }
}

TEST_F(FileLog, AMessageWithoutLineEndRunsOn)
{
    log.WriteLog(7, "first");
    log.WriteLog(7, "second\n");
    EXPECT_EQ(Day("20240305.log"), "[7] 03/05 07:08:09 first[7] 03/05 07:08:09 second\r\n");
}

TEST_F(FileLog, MidnightStartsTheNextDaysFile)
{
    SetNow(2024, 3, 5, 23, 59, 59);
    log.WriteLog(7, "late\n");
    SetNow(2024, 3, 6, 0, 0, 1);
    log.WriteLog(7, "early\n");
    EXPECT_EQ(Day("20240305.log"), "[7] 03/05 23:59:59 late\r\n");
    EXPECT_EQ(Day("20240306.log"), "[7] 03/06 00:00:01 early\r\n");
}

TEST_F(FileLog, NamesFilesByDirectoryPrefixAndDate)
{
    struct Row
    {
        const char* name;
        std::string directory;
        std::string prefix;
        std::string file;
    } rows[] = {
        {"no prefix", "/var/logs", "", "/var/logs/20240305.log"},
        {"prefix", "/var/logs", "wg", "/var/logs/wg-20240305.log"},
        {"trailing slash", "/var/logs/", "", "/var/logs/20240305.log"},
        {"empty directory: per-user folder", "", "", platform::ProductStateDir() + "/20240305.log"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CKvFileLog named;
        ASSERT_TRUE(named.SetDirectory(row.directory));
        ASSERT_TRUE(named.SetPrefix(row.prefix));
        EXPECT_EQ(named.FileNameFor(FakeClock::Now()), row.file);
    }
    CKvFileLog limits;
    EXPECT_FALSE(limits.SetDirectory(std::string(1025, 'd')));
    EXPECT_FALSE(limits.SetPrefix(std::string(1025, 'p')));
    EXPECT_FALSE(limits.SetPrefix("a/b"));
    ASSERT_TRUE(limits.SetDirectory("/" + std::string(1023, 'd')));
    ASSERT_TRUE(limits.SetPrefix(std::string(1024, 'p')));
    EXPECT_EQ(limits.FileNameFor(FakeClock::Now()), "") << "a name beyond the name buffer is refused";
    EXPECT_FALSE(limits.OpenFile());
}

TEST_F(FileLog, CutsAMessageTooLongForTheBuffer)
{
    // The cut falls inside a double-byte character, which must go whole.
    std::string message =
        std::string(CKvLog::LineBufferSize - 20 - 2, 'x') + "\xB0\xFC" + std::string(100, 'y');
    log.WriteLog(7, "%s\n", message.c_str());
    const std::string written = Day("20240305.log");
    const std::string prefix = "[7] 03/05 07:08:09 ";
    ASSERT_EQ(written.size(), prefix.size() + (CKvLog::LineBufferSize - 20 - 2) + 2);
    EXPECT_EQ(written.compare(0, prefix.size(), prefix), 0);
    EXPECT_EQ(written.substr(written.size() - 3), "x\r\n");
}

TEST_F(FileLog, AFolderThatCannotBeWrittenLosesTheLineOnly)
{
    WriteFile(env.Path("blocker"), "");
    ASSERT_TRUE(log.SetDirectory(env.Path("blocker/sub")));
    log.WriteLog(7, "lost\n");
    ASSERT_TRUE(log.SetDirectory(env.Path("logs/created/on/demand")));
    log.WriteLog(7, "kept\n");
    EXPECT_EQ(ReadFile(env.Path("logs/created/on/demand/20240305.log")), "[7] 03/05 07:08:09 kept\r\n");
}

TEST_F(FileLog, ALineTheDiskCutsShortIsTakenBack)
{
    log.WriteLog(7, "first\n");
    for (std::size_t budget : {std::size_t{0}, std::size_t{5}, std::size_t{24}}) {
        SCOPED_TRACE(budget);
        FailingWriter full(budget);
        log.WriteLog(7, "the line the disk refuses\n");
    }
    log.WriteLog(7, "third\n");
    EXPECT_EQ(Day("20240305.log"), "[7] 03/05 07:08:09 first\r\n[7] 03/05 07:08:09 third\r\n");
}

TEST_F(FileLog, LinesFromSeveralThreadsStayWhole)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([this, t] {
            const std::string body(200, static_cast<char>('a' + t));
            for (int i = 0; i < 200; ++i) {
                log.WriteLog(7, "%s\n", body.c_str());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const std::string text = Day("20240305.log");
    std::size_t lines = 0;
    for (std::size_t start = 0; start < text.size(); ++lines) {
        const std::size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::string body = text.substr(start + 19, end - start - 19);
        ASSERT_EQ(body, std::string(200, body[0]));
        start = end + 2;
    }
    EXPECT_EQ(lines, 800u);
}

TEST(ProcessLog, IsLevelSevenInThePerUserFolder)
{
    TempEnv env;
    EXPECT_EQ(ProcessLog().Level, 7);
    EXPECT_TRUE(ProcessLog().Directory().empty());
    ProcessLog().WriteLog(7, "%s\n", "hello");
    const std::vector<std::string> files = ListDir(platform::ProductStateDir());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_NE(ReadFile(platform::ProductStateDir() + "/" + files[0]).find("hello\r\n"), std::string::npos);
}

TEST(AutoLock, HoldsOnlyALockThatWasGranted)
{
    CKvCS lock;
    auto hold = std::make_unique<CKvAutoLock>(&lock);
    EXPECT_TRUE(hold->IsLocked());
    std::atomic<bool> entered{false};
    std::thread other([&] {
        CKvAutoLock blocked(&lock);
        entered = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(entered) << "the lock is held by the outer guard";
    hold.reset();
    other.join();
    EXPECT_TRUE(entered);

    RefusingLock refusing;
    {
        CKvAutoLock refused(&refusing);
        EXPECT_FALSE(refused.IsLocked());
    }
    EXPECT_EQ(refusing.unlocks, 0) << "a lock that was not granted is not released";
}
