#include "ui/windows/app_ui.h"

#include "app/tolvik_app.h"
#include "platform/text.h"
#include "ui/windows/login_dlg.h"
#include "ui/windows/main_dlg.h"
#include "ui/windows/message_box.h"
#include "ui/windows/mini_bar_dlg.h"
#include "ui/windows/tray_icon.h"

#include <QString>

namespace {


} // namespace

void CAppUi::ShowMessage(const std::string& text) { ShowMessageBox(text); }

bool CAppUi::AskLogin(LoginValues& values)
{
    CLoginDlg dialog;
    dialog.IdText = FromCp949(values.Id);
    dialog.PwText = FromCp949(values.Password);
    dialog.SaveIdCheck = values.SaveId;
    dialog.SavePwCheck = values.SavePw;
    if (dialog.DoModal() != IDOK) {
        return false;
    }
    values.Id = ToCp949(dialog.IdText);
    values.Password = ToCp949(dialog.PwText);
    values.SaveId = dialog.SaveIdCheck;
    values.SavePw = dialog.SavePwCheck;
    return true;
}

namespace {

// The windows beside the widget. The weather, plant and page windows show web pages and come with
// the browser helper; until then their buttons do nothing.
class CParts : public IMainWindowParts
{
public:
    std::unique_ptr<IOwnedWindow> NewWeatherDlg() override { return nullptr; }
    std::unique_ptr<IOwnedWindow> NewFactoryDlg() override { return nullptr; }
    std::unique_ptr<IWebWindow> NewWebDlg(int) override { return nullptr; }
    std::unique_ptr<IMiniBar> NewMiniBar() override { return std::make_unique<CMiniBarDlg>(*Main); }
    ITrayIcon* TrayIcon() override { return &Tray; }

    CMainDlg* Main = nullptr;
    CTrayIcon Tray{[this](int command) {
        if (Main != nullptr) {
            Main->OnCommand(command);
        }
    }};
};

} // namespace

void CAppUi::RunMainWindow(CTolvikWGApp& app)
{
    CParts parts;
    CMainDlg main(app, parts);
    parts.Main = &main;
    main.DoModal();
}
