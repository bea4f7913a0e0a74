#pragma once

#include <QString>

class QWidget;

namespace tovr::test {

// Saves a PNG of `widget` as <TOVR_SCREENSHOT_DIR>/<name>.png when that variable is set;
// does nothing otherwise. The widget is laid out and painted first.
void saveScreenshot(QWidget* widget, const QString& name);

} // namespace tovr::test
