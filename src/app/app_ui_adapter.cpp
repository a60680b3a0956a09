#include "app/app_ui_adapter.h"

#include "app/first_paint.h"
#include "app/tolvik_app.h"
#include "platform/text.h"
#include "ui/skin/message_box.h"
#include "ui/windows/login_dlg.h"
#include "ui/windows/main_dlg.h"
#include "ui/windows/mini_bar_dlg.h"
#include "ui/windows/tray_icon.h"
#include "ui/windows/web_link.h"

#include <QString>

void CAppUi::ShowMessage(const std::string& text)
{
    ShowMessageBox(text);
}

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

// The windows beside the widget. Those that show web pages live in the browser helper and are seen
// here through the link's proxies.
class CParts : public IMainWindowParts
{
public:
    explicit CParts(CTolvikWGApp& app) : App(app) {}

    std::unique_ptr<IOwnedWindow> NewWeatherDlg() override
    {
        return Link->NewWeather(AppendGroupId(App.Environment.Urls[Weather], App.Session));
    }
    std::unique_ptr<IOwnedWindow> NewFactoryDlg() override
    {
        // An address that cannot be built stays empty, and the group is still appended.
        std::string url;
        BuildServiceUrl(App.Environment, App.Session, Office, url);
        return Link->NewFactory(AppendGroupId(url, App.Session), Main->Status().PlantCaption);
    }
    std::unique_ptr<IWebWindow> NewWebDlg(int index) override
    {
        std::string url;
        BuildServiceUrl(App.Environment, App.Session, index, url);
        const WindowPlacement remembered =
            index >= 0 && index < ServiceUrlCount ? App.Environment.PagePlacements[index] : WindowPlacement{};
        return Link->NewPage(index, url, remembered);
    }
    std::unique_ptr<IMiniBar> NewMiniBar() override { return std::make_unique<CMiniBarDlg>(*Main); }
    ITrayIcon* TrayIcon() override { return &Tray; }

    CTolvikWGApp& App;
    CMainDlg* Main = nullptr;
    std::unique_ptr<CWebLink> Link;
    CTrayIcon Tray{[this](int command) {
        if (Main != nullptr) {
            Main->OnCommand(command);
        }
    }};
};

} // namespace

void CAppUi::RunMainWindow(CTolvikWGApp& app)
{
    CParts parts(app);
    CMainDlg main(app.Environment, app.Session, parts);
    parts.Main = &main;
    parts.Link = std::make_unique<CWebLink>(&main);
    MarkFirstPaint(main);
    main.DoModal();
}
