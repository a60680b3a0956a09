#pragma once

class QWidget;

// For the start-up benchmark: when PELLAMO_FIRST_PAINT_FILE names a file, the monotonic time in
// milliseconds at which window has first painted is written there. Nothing happens otherwise.
void MarkFirstPaint(QWidget& window);
