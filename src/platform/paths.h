#pragma once

#include <string>

// Where the program and its per-user files live. Every folder is returned without a trailing '/'.
namespace platform {

// Real path of the running executable (symbolic links resolved); empty when it cannot be read.
std::string ModuleFilePath();

std::string HomeDir();
// $XDG_CONFIG_HOME, $XDG_STATE_HOME: used only when set to an absolute path, otherwise the defaults
// ~/.config and ~/.local/state.
std::string ConfigHome();
std::string StateHome();
// $XDG_RUNTIME_DIR when it is an absolute path; empty otherwise.
std::string RuntimeDir();
// $TMPDIR when absolute, else /tmp.
std::string TempDir();
// $XDG_CACHE_HOME when absolute, else ~/.cache.
std::string CacheHome();

// A folder only this user can reach, for the program's lock and its helper's socket: Path, or,
// when none can be trusted, an empty Path and the reason in Refusal.
struct PrivateFolder
{
    std::string Path;
    std::string Refusal;
};
// $XDG_RUNTIME_DIR when it is set; otherwise <cache home>/Tolvik/Pellamo/run, made with mode 0700 and
// used only when it is a real folder (not a link), owned by this user and closed to everyone else.
// Never a fixed name in a folder every user shares, where another user could take the name first.
PrivateFolder UserRuntimeDir();
// What is wrong with path as a private folder of this user; empty when nothing is.
std::string PrivateFolderProblem(const std::string& path);

// The product's folders below the XDG homes: .../Tolvik/Pellamo.
std::string ProductConfigDir();
std::string ProductStateDir();

// Creates the folder and any missing parents with the given mode; true when it exists afterwards.
bool MakeDirs(const std::string& path, unsigned mode);
bool PathExists(const std::string& path);

} // namespace platform
