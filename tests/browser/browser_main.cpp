// The browser helper's tests' main: one application for the whole program, with the engine set up
// as the helper sets it up, on the offscreen platform unless a display is asked for.

#include "browser/explorer.h"
#include "support/temp_env.h"

#include <QApplication>
#include <QEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv)
{
    // The engine is set up once for the whole program: point its folders at a private place first.
    TempEnv env;
    if (geteuid() == 0) {
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    }
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-background-networking", 0);
    if (std::getenv("PELLAMO_TEST_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    InstallBrowserHost();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}
