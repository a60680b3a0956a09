#include "log/file_log.h"

#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <cstdarg>
#include <sys/stat.h>
#include <unistd.h>

void CKvLog::WriteLine(const char*, int) {}

void CKvLog::WriteLog(int level, const char* format, ...)
{
    if (Level < level || Level < 0) {
        return;
    }
    char line[LineBufferSize];
    const platform::LocalTime t = Now();
    char timeText[30];
    std::snprintf(timeText, sizeof timeText, "%02d/%02d %02d:%02d:%02d", t.Month, t.Day, t.Hour, t.Minute,
                  t.Second);
    int prefixLength = std::snprintf(line, 30, "[%d] %s ", level, timeText);
    if (prefixLength < 0) {
        return;
    }
    if (prefixLength > 29) {
        prefixLength = 29;
    }
    const std::size_t room = sizeof line - static_cast<std::size_t>(prefixLength);
    va_list args;
    va_start(args, format);
    const int wanted = std::vsnprintf(line + prefixLength, room, format, args);
    va_end(args);
    if (wanted < 0) {
        return;
    }
    std::size_t messageLength = static_cast<std::size_t>(wanted);
    if (messageLength >= room) {
        // Keep as much as fits, without half a character, and still end the line.
        messageLength = platform::Cp949CutLength(line + prefixLength, room - 1, room - 2);
        line[prefixLength + messageLength] = '\n';
        ++messageLength;
        line[prefixLength + messageLength] = '\0';
    }
    WriteLine(line, prefixLength + static_cast<int>(messageLength));
}

CKvFileLog::~CKvFileLog()
{
    CloseFile();
}

bool CKvFileLog::SetDirectory(const std::string& directory)
{
    if (directory.size() > MaxDirectoryLength) {
        return false;
    }
    m_directory = directory;
    while (m_directory.size() > 1 && m_directory.back() == '/') {
        m_directory.pop_back();
    }
    return true;
}

bool CKvFileLog::SetPrefix(const std::string& prefix)
{
    if (prefix.size() > MaxPrefixLength || prefix.find('/') != std::string::npos) {
        return false;
    }
    m_prefix = prefix;
    return true;
}

std::string CKvFileLog::FileNameFor(const platform::LocalTime& when) const
{
    const std::string directory = m_directory.empty() ? platform::ProductStateDir() : m_directory;
    char name[FileNameBufferSize];
    int n = 0;
    if (m_prefix.empty()) {
        n = std::snprintf(name, sizeof name, "%s/%04d%02d%02d.log", directory.c_str(), when.Year, when.Month,
                          when.Day);
    } else {
        n = std::snprintf(name, sizeof name, "%s/%s-%04d%02d%02d.log", directory.c_str(), m_prefix.c_str(),
                          when.Year, when.Month, when.Day);
    }
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof name) {
        return {};
    }
    return name;
}

bool CKvFileLog::OpenFile()
{
    CloseFile();
    const std::string name = FileNameFor(Now());
    if (name.empty()) {
        return false;
    }
    platform::MakeDirs(name.substr(0, name.find_last_of('/')), 0700);
    m_file = std::fopen(name.c_str(), "ae");
    return m_file != nullptr;
}

void CKvFileLog::CloseFile()
{
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

void CKvFileLog::WriteLine(const char* line, int length)
{
    if (!OpenFile()) {
        return;
    }
    std::string stored;
    stored.reserve(static_cast<std::size_t>(length) + 16);
    for (int i = 0; i < length; ++i) {
        if (line[i] == '\n') {
            stored += '\r';
        }
        stored += line[i];
    }
    // A line is whole or not there: what a failing write left of it is taken back, unless another
    // writer of the same file (the browser helper) has appended behind it meanwhile.
    const int fd = fileno(m_file);
    struct stat before
    {
    };
    const bool measured = fstat(fd, &before) == 0;
    std::size_t written = 0;
    if (!platform::WriteAll(fd, stored.data(), stored.size(), &written) && measured && written > 0) {
        struct stat after
        {
        };
        if (fstat(fd, &after) == 0 && after.st_size == before.st_size + static_cast<off_t>(written)) {
            const int truncated = ftruncate(fd, before.st_size);
            static_cast<void>(truncated); // nothing more can be done for this line
        }
    }
    CloseFile();
}

void CSnLog::WriteLine(const char* line, int length)
{
    CKvAutoLock hold(&m_lock);
    CKvFileLog::WriteLine(line, length);
}

CSnLog& ProcessLog()
{
    static CSnLog log(7);
    return log;
}
