// The baseline the widget is measured against: a bare Qt Widgets program with one frameless
// 259 x 138 window that repaints every second. Like the widget, it writes the monotonic time of its
// first paint, in milliseconds, to the file PELLAMO_FIRST_PAINT_FILE names.

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTime>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

class BareWindow : public QWidget
{
public:
    BareWindow()
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
        const char* path = std::getenv("PELLAMO_FIRST_PAINT_FILE");
        if (!m_painted && path != nullptr && *path != '\0') {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            if (std::FILE* file = std::fopen(path, "we")) {
                std::fprintf(file, "%lld\n",
                             static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000);
                std::fclose(file);
            }
        }
        m_painted = true;
    }

private:
    QTimer m_tick;
    bool m_painted = false;
};

} // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    QApplication app(argc, argv);
    BareWindow window;
    window.show();
    return app.exec();
}
