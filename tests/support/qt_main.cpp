// The tests' main: a Qt application object for the code that runs on an event loop, and no proxy from
// the environment between the tests and their loopback servers.

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    for (const char* name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        unsetenv(name);
    }
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}
