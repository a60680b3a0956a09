#pragma once

// The daily diagnostic log. One line per message:
//
//   [7] 03/05 07:08:09 ethernet 001122AABBCC<CR><LF>
//
// level, month/day hour:minute:second, the caller's text. Files are named YYYYMMDD.log, or
// PREFIX-YYYYMMDD.log, after the local date at the moment of writing; each line opens, appends to and
// closes the file, so a line after midnight lands in the next day's file and the file may be read or
// moved between lines. Text is CP949; every line feed of a message is stored as CR LF.

#include "log/sync.h"
#include "platform/clock.h"

#include <cstdio>
#include <string>

class CKvLog
{
public:
    static constexpr int LineBufferSize = 20480;

    explicit CKvLog(int level = 0) : Level(level) {}
    virtual void WriteLine(const char* line, int length);
    virtual ~CKvLog() = default;

    // Writes one message of the given level when Level >= level and Level is not negative. A message
    // too long for the line buffer is cut, at a character boundary, and keeps its line end.
    void WriteLog(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

    // Replaces the local clock, for tests of the date in the line and the file name.
    void SetTimeSource(platform::LocalTimeSource source) { m_now = source; }
    platform::LocalTime Now() const { return m_now(); }

    int Level = 0;

private:
    platform::LocalTimeSource m_now = &platform::GetLocalTime;
};

class CKvFileLog : public CKvLog
{
public:
    static constexpr std::size_t MaxDirectoryLength = 1024;
    static constexpr std::size_t MaxPrefixLength = 1024;
    static constexpr std::size_t FileNameBufferSize = 2048;

    explicit CKvFileLog(int level = 0) : CKvLog(level) {}
    CKvFileLog(const CKvFileLog&) = delete;
    CKvFileLog& operator=(const CKvFileLog&) = delete;
    ~CKvFileLog() override;

    void WriteLine(const char* line, int length) override;

    // An empty directory means the per-user log folder. Values longer than the limits are refused.
    bool SetDirectory(const std::string& directory);
    bool SetPrefix(const std::string& prefix);
    const std::string& Directory() const { return m_directory; }
    const std::string& Prefix() const { return m_prefix; }

    // The file a line written at the given local time goes to; empty when the name does not fit.
    std::string FileNameFor(const platform::LocalTime& when) const;

    bool OpenFile();
    void CloseFile();

private:
    std::FILE* m_file = nullptr;
    std::string m_directory;
    std::string m_prefix;
};

class CSnLog : public CKvFileLog
{
public:
    explicit CSnLog(int level = 0) : CKvFileLog(level) {}
    void WriteLine(const char* line, int length) override;

private:
    CKvCS m_lock;
};

// The process-wide log, Level 7, ready before any other code of the program runs.
CSnLog& ProcessLog();
