#include "app/app_ui_adapter.h"
#include "app/tolvik_app.h"
#include "platform/paths.h"
#include "ui/skin/desktop_process.h"

#include <QApplication>

int main(int argc, char** argv)
{
    PrepareDesktopProcess();
    QApplication qtApp(argc, argv);
    // The program lives as long as the main window's run, which hidden windows do not end.
    SetUpDesktopApplication(qtApp);
    CAppUi ui;
    CTolvikWGApp app(ui, platform::ModuleFilePath());
    app.InitInstance();
    return 0;
}
