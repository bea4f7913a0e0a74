#include "support/ui/Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace tovr::test {

void saveScreenshot(QWidget* widget, const QString& name) {
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

} // namespace tovr::test
