#pragma once

// What both programs set up around their application object, so that their windows behave alike.

class QApplication;

// Before the application object: the xcb platform unless the user chose one (the windows place
// themselves, which Wayland does not allow), and layouts in device pixels.
void PrepareDesktopProcess();
// After it: the skin's font substitutes, and a run that hidden or closed windows do not end.
void SetUpDesktopApplication(QApplication& application);
