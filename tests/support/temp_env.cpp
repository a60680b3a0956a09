#include "support/temp_env.h"

#include "platform/text.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <ftw.h>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kVariables[] = {"HOME",           "XDG_CONFIG_HOME", "XDG_STATE_HOME",
                                  "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"};
const char kUnset[] = "\x01";

int RemoveEntry(const char* path, const struct stat*, int, FTW*)
{
    return remove(path);
}

} // namespace

TempEnv::TempEnv()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && base[0] == '/' ? base : "/tmp") + "/pellamo-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_root = pattern;
    for (const char* name : kVariables) {
        const char* value = std::getenv(name);
        m_saved.emplace_back(name, value != nullptr ? value : kUnset);
    }
    const std::pair<const char*, const char*> layout[] = {{"HOME", "home"},
                                                          {"XDG_CONFIG_HOME", "config"},
                                                          {"XDG_STATE_HOME", "state"},
                                                          {"XDG_CACHE_HOME", "cache"},
                                                          {"XDG_RUNTIME_DIR", "run"},
                                                          {"TMPDIR", "tmp"}};
    for (const auto& [name, folder] : layout) {
        const std::string path = Path(folder);
        mkdir(path.c_str(), 0700);
        setenv(name, path.c_str(), 1);
    }
}

TempEnv::~TempEnv()
{
    for (const auto& [name, value] : m_saved) {
        if (value == kUnset) {
            unsetenv(name.c_str());
        } else {
            setenv(name.c_str(), value.c_str(), 1);
        }
    }
    nftw(m_root.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

bool Exists(const std::string& path)
{
    struct stat st
    {
    };
    return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListDir(const std::string& path)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(path.c_str())) {
        while (const dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Cp(const char* utf8)
{
    return platform::Utf8ToCp949(utf8);
}
