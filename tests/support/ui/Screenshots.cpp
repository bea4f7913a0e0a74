#include "support/ui/Screenshots.h"

#include "support/ui/KeyboardCheck.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace tovr::test {

void saveScreenshot(QWidget* widget, const QString& name) {
    checkKeyboard(widget, name);
    const QString dir = qEnvironmentVariable("TOVR_SCREENSHOT_DIR");
    if (dir.isEmpty() || !widget)
        return;
    QDir().mkpath(dir);
    // A resize settles over a few layout passes (wrapped labels ask for their height).
    for (int i = 0; i < 4; ++i) {
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QApplication::processEvents();
    }
    widget->grab().save(QDir(dir).filePath(name + ".png"));
}

void saveScreenshotsAtTwoSizes(QWidget* window, const QString& name) {
    checkKeyboard(window, name);
    if (qEnvironmentVariableIsEmpty("TOVR_SCREENSHOT_DIR") || !window)
        return;
    window->resize(720, 700);
    saveScreenshot(window, name + "-720x700");
    window->resize(1200, 900);
    saveScreenshot(window, name + "-1200x900");
    window->resize(720, 720);
}

} // namespace tovr::test
