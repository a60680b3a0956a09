#include "app/tolvik_app.h"
#include "platform/paths.h"
#include "ui/skin/draw_kit.h"
#include "ui/windows/app_ui.h"

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv)
{
    // The windows place themselves, which only X11 allows, and lay out in device pixels.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);

    QApplication qtApp(argc, argv);
    InstallFontSubstitutes();
    // The program lives as long as the main window's run, which hidden windows do not end.
    qtApp.setQuitOnLastWindowClosed(false);
    CAppUi ui;
    CTolvikWGApp app(ui, platform::ModuleFilePath());
    app.InitInstance();
    return 0;
}
