#include "app/first_paint.h"

#include "platform/clock.h"

#include <QEvent>
#include <QObject>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class CFirstPaintMark : public QObject
{
public:
    CFirstPaintMark(std::string path, QObject* parent) : QObject(parent), m_path(std::move(path)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint) {
            return false;
        }
        watched->removeEventFilter(this);
        // The paint itself first: the mark is the moment the window has painted.
        watched->event(event);
        if (std::FILE* file = std::fopen(m_path.c_str(), "we")) {
            std::fprintf(file, "%llu\n", static_cast<unsigned long long>(platform::GetTickCount64()));
            std::fclose(file);
        }
        deleteLater();
        return true;
    }

private:
    std::string m_path;
};

} // namespace

void MarkFirstPaint(QWidget& window)
{
    const char* path = std::getenv("PELLAMO_FIRST_PAINT_FILE");
    if (path != nullptr && *path != '\0') {
        window.installEventFilter(new CFirstPaintMark(path, &window));
    }
}
