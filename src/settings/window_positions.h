#pragma once

#include "settings/environment.h"

// Remember window positions both in the running settings (so a window reopened in this run comes back
// where it was) and in the store's POS key (for the next run). Failures to write are not reported.

// Page windows 0..6 are stored; 7..9 only kept in memory; other indexes are ignored.
void SavePagePlacement(EnvironmentSettings& env, int index, const WindowPlacement& placement);
// which is Weather, Office (the plant window) or Main; the point is the rectangle's top-left corner.
void SaveWindowPoint(EnvironmentSettings& env, int which, const Rect& windowRect);
// Forgets the three points; the page windows keep their placements.
void ResetWindowPoints(EnvironmentSettings& env);
