#include "ui/skin/desktop_process.h"

#include "ui/skin/draw_kit.h"

#include <QApplication>

#include <cstdlib>

void PrepareDesktopProcess()
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
}

void SetUpDesktopApplication(QApplication& application)
{
    InstallFontSubstitutes();
    application.setQuitOnLastWindowClosed(false);
}
