#include "app/tolvik_app.h"

#include "app/app_ui_interface.h"
#include "log/file_log.h"
#include "platform/text.h"

#include <cstring>

namespace {

CTolvikWGApp* g_app = nullptr;

} // namespace

CTolvikWGApp* TheApp()
{
    return g_app;
}

CTolvikWGApp::CTolvikWGApp(IAppUi& ui, std::string modulePath) : m_ui(ui), m_modulePath(std::move(modulePath))
{
    g_app = this;
}

CTolvikWGApp::~CTolvikWGApp()
{
    m_singleExec.Release();
    if (g_app == this) {
        g_app = nullptr;
    }
}

bool CTolvikWGApp::InitInstance()
{
    // Common controls and the framework's own start-up: nothing to register on this platform; the Qt
    // application object already exists.

    if (!m_singleExec.Check(InstanceName)) {
        m_ui.ShowMessage(platform::Utf8ToCp949("프로그램이 이미 실행중입니다."));
        return false;
    }
    if (!m_singleExec.Unguarded().empty()) {
        ProcessLog().WriteLog(7, "single instance: no private folder for the lock, %s; starting unguarded\n",
                              m_singleExec.Unguarded().c_str());
    }

    // COM, the browser-hosting customisation, GDI+ and the socket library need no start here: pages
    // are hosted by the browser helper process, which installs its own customisation before its first
    // window, and POSIX sockets need no library start. The framework's registry key name has no
    // counterpart; the settings store is our own.

    // The program's folder: the text before the last '/'. Paths are in the file system's encoding,
    // UTF-8, where no byte of a multibyte character can be taken for '/'.
    const char* slash = std::strrchr(m_modulePath.c_str(), '/');
    ModuleDir = slash == nullptr ? std::string() : std::string(m_modulePath.c_str(), slash);

    if (CheckForUpdate()) {
        return false;
    }

    if (!LoadEnvironment(Environment, ModuleDir)) {
        m_ui.ShowMessage(platform::Utf8ToCp949("환경파일을 읽을 수 없습니다."));
        return false;
    }

    if (!SignIn()) {
        return false;
    }

    m_ui.RunMainWindow(*this);
    return false;
}
