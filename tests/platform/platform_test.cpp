#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/single_instance.h"
#include "platform/text.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace platform;

namespace {

bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

int ZombieChildren()
{
    int zombies = 0;
    DIR* d = opendir("/proc");
    while (const dirent* e = readdir(d)) {
        std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
        std::string pid, comm, state;
        long ppid = 0;
        if (stat >> pid >> comm >> state >> ppid && ppid == getpid() && state == "Z") {
            ++zombies;
        }
    }
    closedir(d);
    return zombies;
}

} // namespace

TEST(Text, ConvertsBetweenCp949AndUtf8)
{
    struct Row
    {
        const char* name;
        std::string cp949;
        std::string utf8;
    } rows[] = {
        {"ascii", "Settings", "Settings"},
        {"korean", "\xB0\xFC\xB8\xAE", "관리"},
        {"mixed", "URL \xB0\xFC\xB8\xAE!", "URL 관리!"},
        {"empty", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Cp949ToUtf8(row.cp949), row.utf8);
        EXPECT_EQ(Utf8ToCp949(row.utf8), row.cp949);
    }
}

TEST(Text, KeepsTheRestOfATextAroundBadBytes)
{
    EXPECT_EQ(Cp949ToUtf8("a\xFF"
                          "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Cp949ToUtf8("ab\xB0"), "ab\xEF\xBF\xBD");
    EXPECT_EQ(Utf8ToCp949("a😀b관"), "a?b\xB0\xFC");
}

TEST(Text, RecognisesUtf8)
{
    struct Row
    {
        const char* name;
        std::string text;
        bool valid;
    } rows[] = {
        {"ascii", "abc", true},
        {"korean", "한글", true},
        {"cp949 bytes", "\xC7\xD1", false},
        {"overlong", "\xC0\x80", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"truncated", "a\xE0\xA0", false},
        {"four bytes", "😀", true},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsValidUtf8(row.text), row.valid);
    }
}

TEST(Text, MultibyteSearchSkipsTrailBytes)
{
    // 0x81 is a lead byte, so the '\' and '?' right after it are the second byte of one character.
    const char* text = "a\x81\\b\\c";
    EXPECT_EQ(MbsChr(text, '\\'), text + 4);
    EXPECT_EQ(MbsRChr(text, '\\'), text + 4);
    EXPECT_EQ(MbsChr("\x81?", '?'), nullptr);
    EXPECT_EQ(MbsRChr("\x81\\", '\\'), nullptr);
    const char* url = "http://h/\xB0\xFC?x=1";
    EXPECT_EQ(MbsChr(url, '?'), url + 11);
    EXPECT_EQ(MbsChr("plain", '?'), nullptr);
}

TEST(Text, FoldsOnlyAsciiLetters)
{
    EXPECT_TRUE(MbsEqualNoCase("Settings", "SETTINGS"));
    EXPECT_TRUE(MbsEqualNoCase("\xB0\xFC", "\xB0\xFC"));
    // Two different syllables whose second bytes differ only in ASCII letter case.
    EXPECT_FALSE(MbsEqualNoCase("\xB0\x41", "\xB0\x61"));
    EXPECT_FALSE(MbsEqualNoCase("ab", "abc"));
}

TEST(Text, EncodesAnAddressByteByByte)
{
    const struct
    {
        const char* name;
        std::string address;
        std::string encoded;
    } rows[] = {
        {"ASCII stays as it is", "http://h:80/wginfo?userId=kim&authCode=A%2B1",
         "http://h:80/wginfo?userId=kim&authCode=A%2B1"},
        {"Korean bytes", "http://h/wginfo/\xBA\xBB\xBB\xE7?g=1", "http://h/wginfo/%BA%BB%BB%E7?g=1"},
        {"blanks", "http://h/a b\tc", "http://h/a%20b%09c"},
        {"a trail byte that looks like ASCII is kept", "/\xB0\x41", "/%B0A"},
        {"empty", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(EncodeAddressBytes(row.address), row.encoded);
    }
}

TEST(Text, CutsAtCharacterBoundaries)
{
    EXPECT_EQ(Cp949CutLength("ab\xB0\xFC", 4, 3), 2u);
    EXPECT_EQ(Cp949CutLength("ab\xB0\xFC", 4, 4), 4u);
    EXPECT_EQ(Cp949CutLength("abcdef", 6, 3), 3u);
}

TEST(Paths, FollowTheXdgVariables)
{
    TempEnv env;
    EXPECT_EQ(ConfigHome(), env.Path("config"));
    EXPECT_EQ(StateHome(), env.Path("state"));
    EXPECT_EQ(RuntimeDir(), env.Path("run"));
    EXPECT_EQ(ProductConfigDir(), env.Path("config") + "/Tolvik/Pellamo");
    EXPECT_EQ(ProductStateDir(), env.Path("state") + "/Tolvik/Pellamo");

    // Relative or empty values are ignored, as the XDG rules say.
    setenv("XDG_CONFIG_HOME", "relative/dir", 1);
    setenv("XDG_STATE_HOME", "", 1);
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(ConfigHome(), env.Path("home") + "/.config");
    EXPECT_EQ(StateHome(), env.Path("home") + "/.local/state");
    EXPECT_EQ(RuntimeDir(), "");
}

TEST(Paths, ModuleFileIsTheRealExecutable)
{
    const std::string path = ModuleFilePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_NE(path.find("/platform"), std::string::npos);
    EXPECT_TRUE(PathExists(path));
}

TEST(Paths, MakeDirsCreatesParentsPrivately)
{
    TempEnv env;
    const std::string deep = env.Path("a/b/c");
    ASSERT_TRUE(MakeDirs(deep, 0700));
    struct stat st
    {
    };
    ASSERT_EQ(stat(env.Path("a/b").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(MakeDirs(deep, 0700));
    WriteFile(env.Path("file"), "x");
    EXPECT_FALSE(MakeDirs(env.Path("file/sub"), 0700));
}

TEST(Clock, TickCountNeverGoesBack)
{
    const auto first = GetTickCount64();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(GetTickCount64(), first + 15);
    const LocalTime now = GetLocalTime();
    EXPECT_GE(now.Year, 2024);
    EXPECT_GE(now.Month, 1);
    EXPECT_LE(now.Month, 12);
}

static void MakeDirsForTest(const std::string& path, unsigned mode)
{
    platform::MakeDirs(path.substr(0, path.rfind('/')), 0700);
    mkdir(path.c_str(), mode);
    chmod(path.c_str(), mode);
}

TEST(SingleInstance, SecondHolderIsRefusedUntilTheFirstReleases)
{
    TempEnv env;
    CKvSingleExec first;
    CKvSingleExec second;
    ASSERT_TRUE(first.Check("KORVA.Test"));
    EXPECT_EQ(CKvSingleExec::LockPath("KORVA.Test"), env.Path("run") + "/KORVA.Test.lock");
    EXPECT_TRUE(Exists(env.Path("run/KORVA.Test.lock")));
    EXPECT_FALSE(second.Check("KORVA.Test"));
    first.Release();
    EXPECT_FALSE(Exists(env.Path("run/KORVA.Test.lock"))) << "a released lock leaves nothing behind";
    EXPECT_TRUE(second.Check("KORVA.Test"));
}

TEST(SingleInstance, WithoutARuntimeFolderTheLockIsKeptInAPrivateFolder)
{
    // Another user got to the old fixed name in /tmp first: it must not matter any more.
    const std::string name = "KORVA.Test." + std::to_string(getpid());
    const std::string oldName = "/tmp/" + name + "-" + std::to_string(getuid()) + ".lock";
    ASSERT_EQ(mkdir(oldName.c_str(), 0700), 0);
    const struct
    {
        const char* name;
        std::function<void(const std::string& folder)> before;
        bool guarded;
        const char* refusal;
    } rows[] = {
        {"made by the program", [](const std::string&) {}, true, ""},
        {"made too open by someone's umask", [](const std::string& folder) { MakeDirsForTest(folder, 0755); },
         true, ""},
        {"a link to another folder",
         [](const std::string& folder) {
             MakeDirsForTest(folder.substr(0, folder.rfind('/')), 0700);
             symlink("/tmp", folder.c_str());
         },
         false, "symbolic link"},
        {"a file in its place",
         [](const std::string& folder) {
             MakeDirsForTest(folder.substr(0, folder.rfind('/')), 0700);
             WriteFile(folder, "");
         },
         false, "not a folder"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempEnv env;
        unsetenv("XDG_RUNTIME_DIR");
        const std::string folder = env.Path("cache/Tolvik/Pellamo/run");
        row.before(folder);
        CKvSingleExec guard;
        EXPECT_TRUE(guard.Check(name.c_str())) << "a user is never kept out";
        if (row.guarded) {
            EXPECT_EQ(guard.Unguarded(), "");
            EXPECT_EQ(CKvSingleExec::LockPath(name.c_str()), folder + "/" + name + ".lock");
            struct stat st
            {
            };
            ASSERT_EQ(lstat(folder.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0700u);
            CKvSingleExec second;
            EXPECT_FALSE(second.Check(name.c_str())) << "the guard still guards";
        } else {
            EXPECT_NE(guard.Unguarded().find(row.refusal), std::string::npos) << guard.Unguarded();
            EXPECT_EQ(CKvSingleExec::LockPath(name.c_str()), "");
        }
    }
    rmdir(oldName.c_str());
}

TEST(SingleInstance, LockLeftByACrashIsFree)
{
    TempEnv env;
    WriteFile(env.Path("run/KORVA.Test.lock"), "");
    CKvSingleExec guard;
    EXPECT_TRUE(guard.Check("KORVA.Test"));
}

TEST(SingleInstance, KernelReleasesTheLockOfAProcessThatDies)
{
    TempEnv env;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        CKvSingleExec held;
        const char ok = held.Check("KORVA.Test") ? '1' : '0';
        (void)!write(ready[1], &ok, 1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    CKvSingleExec guard;
    EXPECT_FALSE(guard.Check("KORVA.Test"));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(guard.Check("KORVA.Test"));
    close(ready[0]);
    close(ready[1]);
}

TEST(Process, SplitsCommandLines)
{
    struct Row
    {
        const char* name;
        const char* line;
        std::vector<std::string> args;
    } rows[] = {
        {"quoted path with blank", "\"/opt/my app/Update.exe\"", {"/opt/my app/Update.exe"}},
        {"arguments", "prog a  \"b c\" d", {"prog", "a", "b c", "d"}},
        {"empty quotes", "prog \"\"", {"prog", ""}},
        {"blank", "   ", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SplitCommandLine(row.line), row.args);
    }
}

TEST(Process, StartsTheProgramAndReapsIt)
{
    TempEnv env;
    const std::string dir = env.Path("my app");
    MakeDirs(dir, 0700);
    const std::string program = dir + "/Update.exe";
    const std::string marker = env.Path("marker");
    WriteFile(program, "#!/bin/sh\necho \"$#\" > \"" + marker + ".tmp\"; mv \"" + marker + ".tmp\" \"" +
                           marker + "\"\n");
    chmod(program.c_str(), 0700);

    ASSERT_TRUE(RunProgram("\"" + program + "\""));
    ASSERT_TRUE(WaitFor([&] { return Exists(marker); }));
    EXPECT_EQ(ReadFile(marker), "0\n");
    EXPECT_TRUE(WaitFor([] { return ZombieChildren() == 0; }));

    EXPECT_FALSE(RunProgram("\"" + dir + "/Missing.exe\""));
    EXPECT_FALSE(RunProgram(""));
}
