// The baseline for the browser helper: a bare Qt program with one QWebEngineView showing an address.
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (geteuid() == 0) {
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    }
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-background-networking", 0);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWebEngineView view;
    view.resize(1024, 768);
    view.setUrl(QUrl(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("about:blank")));
    view.show();
    return app.exec();
}
