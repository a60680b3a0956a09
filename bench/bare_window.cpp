// The baseline the widget is measured against: a bare Qt Widgets program with one frameless
// 259 x 138 window that repaints every second. With --print-first-paint it prints, on standard
// output, the milliseconds from its start to its first paint, then goes on idling.

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTime>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

class BareWindow : public QWidget
{
public:
    explicit BareWindow(bool printFirstPaint) : m_print(printFirstPaint)
    {
        setWindowFlags(Qt::FramelessWindowHint);
        setWindowTitle(QStringLiteral("bare-window"));
        resize(259, 138);
        connect(&m_tick, &QTimer::timeout, this, qOverload<>(&QWidget::update));
        m_tick.start(1000);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(40, 60, 90));
        p.setPen(Qt::white);
        p.drawText(rect(), Qt::AlignCenter, QTime::currentTime().toString());
        if (m_print) {
            m_print = false;
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("first-paint-monotonic-ms=%lld\n",
                        static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000);
            std::fflush(stdout);
        }
    }

private:
    QTimer m_tick;
    bool m_print;
};

} // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    bool print = false;
    for (int i = 1; i < argc; ++i) {
        print = print || std::strcmp(argv[i], "--print-first-paint") == 0;
    }
    QApplication app(argc, argv);
    BareWindow window(print);
    window.show();
    return app.exec();
}
