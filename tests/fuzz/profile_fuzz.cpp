// The on-disk INI reader and the environment file loader over it, on whatever bytes the file holds.
#include "platform/profile.h"
#include "settings/environment.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// One folder for the whole run in $TMPDIR (run.sh points it at its scratch folder, which goes even
// when a finding ends the run), removed at exit; plain storage, so it outlives every destructor.
char g_folder[4096];
char g_file[sizeof g_folder + 16];

void RemoveFolder()
{
    std::remove(g_file);
    rmdir(g_folder);
}

const char* Folder()
{
    static const bool made = [] {
        const char* base = std::getenv("TMPDIR");
        std::snprintf(g_folder, sizeof g_folder, "%s/pellamo-fuzz-profile-XXXXXX",
                      base != nullptr && *base == '/' ? base : "/tmp");
        if (mkdtemp(g_folder) == nullptr) {
            std::abort();
        }
        std::snprintf(g_file, sizeof g_file, "%s/Pellamo.ini", g_folder);
        std::atexit(&RemoveFolder);
        return true;
    }();
    (void)made;
    return g_folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string folder = Folder();
    const std::string path = g_file;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    std::string value;
    const char* const keys[][2] = {
        {"Settings", "ServerAddr"}, {"settings", "serverport"}, {"URL", "WGInfo"}, {"", ""}, {"A", "B"},
    };
    for (const auto& key : keys) {
        platform::ReadProfileString(path, key[0], key[1], value);
    }
    EnvironmentSettings env;
    LoadEnvironmentFile(env, folder);
    return 0;
}
