#pragma once

#include <QPalette>
#include <QString>

#include <functional>

class QWidget;

namespace tovr::test {

// Every screen a test looks at passes the accessibility check (in both palettes), the
// keyboard check and the check of accessibility actions. With TOVR_SCREENSHOT_DIR set, it is
// also saved as <name>.png and, in the dark palette, <name>-dark.png. The widget is laid out
// and painted first.
void saveScreenshot(QWidget* widget, const QString& name);
// The same at the smallest window (720×700) and a large one (1200×900), named
// <name>-720x700 and <name>-1200x900; the window is left at 720×720.
void saveScreenshotsAtTwoSizes(QWidget* window, const QString& name);

// A standard dark palette (dark window and base, light text) for looking at the screens
// as they are in dark mode.
QPalette darkPalette();
// Runs `look` with the dark palette applied to the application and the screens laid out
// again, then puts the palette back.
void withDarkPalette(const std::function<void()>& look);

} // namespace tovr::test
