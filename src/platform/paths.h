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

// The product's folders below the XDG homes: .../Tolvik/Pellamo.
std::string ProductConfigDir();
std::string ProductStateDir();

// Creates the folder and any missing parents with the given mode; true when it exists afterwards.
bool MakeDirs(const std::string& path, unsigned mode);
bool PathExists(const std::string& path);

} // namespace platform
