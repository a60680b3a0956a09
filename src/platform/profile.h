#pragma once

#include <string>
#include <string_view>

namespace platform {

// Looks a key up in an INI file on disk by the rules the desktop's own INI functions follow: section
// and key names compared without regard to letter case, the first match wins, the value trimmed of
// blanks with one pair of surrounding double quotes removed, ';' starting a comment only at the start
// of a line. A file that is valid UTF-8 and not plain ASCII is read as UTF-8; the value comes back in
// CP949 either way, and section and key are given in CP949. False when the file or the key is absent.
bool ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                       std::string& value);

} // namespace platform
