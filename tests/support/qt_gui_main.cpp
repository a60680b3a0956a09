// The window tests' main: a widget application on the offscreen platform (unless a display is asked
// for), at the 96 DPI the layouts are drawn for.

#include <QApplication>
#include <QEvent>
#include <QFont>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (std::getenv("PELLAMO_TEST_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}
