#pragma once

#include <QPalette>
#include <QString>

class QWidget;

namespace tovr::test {

// Saves a PNG of `widget` as <TOVR_SCREENSHOT_DIR>/<name>.png when that variable is set;
// does nothing otherwise. The widget is laid out and painted first.
void saveScreenshot(QWidget* widget, const QString& name);
// The same at the smallest window (720×700) and a large one (1200×900), named
// <name>-720x700 and <name>-1200x900; the window is left at 720×720.
void saveScreenshotsAtTwoSizes(QWidget* window, const QString& name);

// A standard dark palette (dark window and base, light text) for looking at the screens
// as they are in dark mode.
QPalette darkPalette();

} // namespace tovr::test
