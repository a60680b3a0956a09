#include "app/tolvik_app.h"
#include "feed/http_down.h"
#include "platform/numbers.h"
#include "platform/process.h"
#include "settings/ini_file.h"
#include "settings/ini_text.h"

#include <memory>

namespace {

constexpr int kVersionBufferStep = 102400;
// A check that cannot answer quickly counts as no update: the user is waiting for the widget.
constexpr int kUpdateCheckTimeoutMs = 10000;

} // namespace

// Compares the installed version ([Version] Version of Pellamo_VER.ini) with the published one
// ([Update] Version of the text at [Version] UpdateURL). Any difference, up or down, hands over to the
// updater beside the program; every failure on the way counts as "no update", silently.
bool CTolvikWGApp::CheckForUpdate()
{
    const CKvIniFile local(ModuleFile(ModuleDir, "Pellamo_VER.ini"));
    std::int32_t installed = local.GetInt("Version", "Version", IniMissing);
    if (installed == IniMissing) {
        installed = 0;
    }
    std::string updateUrl;
    if (!local.GetString(updateUrl, "Version", "UpdateURL")) {
        return false;
    }

    CKvHttpDown download;
    download.SetTotalTimeout(kUpdateCheckTimeoutMs);
    if (!download.OpenUrl(updateUrl)) {
        return false;
    }
    const std::unique_ptr<char[]> text(download.ReadAll(kVersionBufferStep, kVersionBufferStep));
    if (text == nullptr) {
        return false;
    }
    CKvIniFileEx published;
    published.Parse(text.get());
    const char* version = published.FindUpdateVersion();
    if (version == nullptr) {
        return false;
    }
    download.CloseRequest();
    if (platform::Atoi32(version) == installed) {
        return false;
    }
    // The program ends whether or not the updater could be started: the update is due either way.
    platform::RunProgram("\"" + ModuleFile(ModuleDir, "Update.exe") + "\"");
    return true;
}
