#include "platform/paths.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

const char kVendor[] = "Tolvik";
const char kProduct[] = "Pellamo";

std::string AbsoluteEnv(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') {
        return {};
    }
    std::string path(value);
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string XdgHome(const char* variable, const char* fallbackBelowHome)
{
    std::string path = AbsoluteEnv(variable);
    if (path.empty()) {
        path = HomeDir() + fallbackBelowHome;
    }
    return path;
}

} // namespace

std::string ModuleFilePath()
{
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        return {};
    }
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string HomeDir()
{
    std::string home = AbsoluteEnv("HOME");
    if (!home.empty()) {
        return home;
    }
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return pw->pw_dir;
    }
    return "/";
}

std::string ConfigHome()
{
    return XdgHome("XDG_CONFIG_HOME", "/.config");
}

std::string StateHome()
{
    return XdgHome("XDG_STATE_HOME", "/.local/state");
}

std::string RuntimeDir()
{
    return AbsoluteEnv("XDG_RUNTIME_DIR");
}

std::string CacheHome()
{
    return XdgHome("XDG_CACHE_HOME", "/.cache");
}

std::string PrivateFolderProblem(const std::string& path)
{
    struct stat st
    {
    };
    if (lstat(path.c_str(), &st) != 0) {
        return "it cannot be read (" + std::string(std::strerror(errno)) + ")";
    }
    if (S_ISLNK(st.st_mode)) {
        return "it is a symbolic link";
    }
    if (!S_ISDIR(st.st_mode)) {
        return "it is not a folder";
    }
    if (st.st_uid != getuid()) {
        return "it belongs to user " + std::to_string(st.st_uid);
    }
    if ((st.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%03o", static_cast<unsigned>(st.st_mode & 0777));
        return std::string("others may use it (mode ") + mode + ")";
    }
    return {};
}

PrivateFolder UserRuntimeDir()
{
    PrivateFolder folder;
    folder.Path = RuntimeDir();
    if (!folder.Path.empty()) {
        return folder;
    }
    const std::string path = CacheHome() + "/" + kVendor + "/" + kProduct + "/run";
    MakeDirs(path, 0700);
    // A folder of ours that is merely too open (made by hand, or by an umask) is closed, never one
    // that is a link or someone else's.
    struct stat st
    {
    };
    if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
        (st.st_mode & 077) != 0) {
        chmod(path.c_str(), 0700);
    }
    folder.Refusal = PrivateFolderProblem(path);
    if (folder.Refusal.empty()) {
        folder.Path = path;
    } else {
        folder.Refusal = path + ": " + folder.Refusal;
    }
    return folder;
}

std::string TempDir()
{
    std::string dir = AbsoluteEnv("TMPDIR");
    return dir.empty() ? std::string("/tmp") : dir;
}

std::string ProductConfigDir()
{
    return ConfigHome() + "/" + kVendor + "/" + kProduct;
}

std::string ProductStateDir()
{
    return StateHome() + "/" + kVendor + "/" + kProduct;
}

bool MakeDirs(const std::string& path, unsigned mode)
{
    if (path.empty()) {
        return false;
    }
    struct stat st
    {
    };
    if (stat(path.c_str(), &st) == 0) {
        return S_ISDIR(st.st_mode);
    }
    const std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeDirs(path.substr(0, slash), mode)) {
        return false;
    }
    if (mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0) {
        return true;
    }
    return errno == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const std::string& path)
{
    struct stat st
    {
    };
    return stat(path.c_str(), &st) == 0;
}

} // namespace platform
