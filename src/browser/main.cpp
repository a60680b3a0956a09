// pellamo-web: the browser helper. The widget starts it with the name of its link and it holds every
// window that shows a web page until the widget lets it go or goes away itself.

#include "browser/explorer.h"
#include "browser/web_host.h"
#include "ui/skin/desktop_process.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

void PrepareEngine()
{
    // The engine's sandbox refuses to run as root; everywhere else it stays on.
    if (geteuid() == 0) {
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    }
    // No GPU work here: software drawing, and no traffic of the engine's own.
    std::string flags = "--disable-gpu --disable-background-networking --disable-component-update";
    if (const char* extra = std::getenv("QTWEBENGINE_CHROMIUM_FLAGS"); extra != nullptr && *extra != '\0') {
        flags += ' ';
        flags += extra;
    }
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.c_str(), 1);
    PrepareDesktopProcess();
    // The engine's start-up report is not for the user.
    setenv("QT_LOGGING_RULES", "qt.webenginecontext.info=false", 0);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace

int main(int argc, char* argv[])
{
    QString link;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--link") == 0) {
            link = QString::fromLocal8Bit(argv[i + 1]);
        }
    }
    if (link.isEmpty()) {
        std::fprintf(stderr, "usage: pellamo-web --link SOCKET\n"
                             "The widget starts this helper itself; it is not meant to be run by hand.\n");
        return 2;
    }
    PrepareEngine();
    QApplication app(argc, argv);
    SetUpDesktopApplication(app);
    InstallBrowserHost();

    CExplorerFactory browsers;
    CWebHost host(browsers);
    // When the widget lets go, the windows that links opened may stay until the user closes them.
    QTimer linkWindows;
    linkWindows.setInterval(500);
    QObject::connect(&host, &CWebHost::LinkLost, &app, [&linkWindows] {
        if (OpenLinkWindows() == 0) {
            QCoreApplication::quit();
            return;
        }
        QObject::connect(&linkWindows, &QTimer::timeout, [] {
            if (OpenLinkWindows() == 0) {
                QCoreApplication::quit();
            }
        });
        linkWindows.start();
    });
    if (!host.Connect(link)) {
        return 1;
    }
    return app.exec();
}
