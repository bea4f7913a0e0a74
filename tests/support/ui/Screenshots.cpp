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

void saveScreenshotsAtTwoSizes(QWidget* window, const QString& name) {
    if (qEnvironmentVariableIsEmpty("TOVR_SCREENSHOT_DIR") || !window)
        return;
    window->resize(720, 700);
    saveScreenshot(window, name + "-720x700");
    window->resize(1200, 900);
    saveScreenshot(window, name + "-1200x900");
    window->resize(720, 720);
}

QPalette darkPalette() {
    const QColor window(0x32, 0x32, 0x32);
    const QColor text(0xF2, 0xF2, 0xF2);
    const QColor button(0x4A, 0x4A, 0x4A);
    QPalette palette(text, button, button.lighter(130), button.darker(160), button.darker(120),
                     text, Qt::white, QColor(0x1E, 0x1E, 0x1E), window);
    palette.setColor(QPalette::AlternateBase, QColor(0x2A, 0x2A, 0x2A));
    palette.setColor(QPalette::Highlight, QColor(0x0A, 0x84, 0xFF));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x41, 0x9C, 0xFF));
    palette.setColor(QPalette::LinkVisited, QColor(0xB0, 0x8C, 0xFF));
    palette.setColor(QPalette::PlaceholderText, QColor(0x9A, 0x9A, 0x9A));
    palette.setColor(QPalette::ToolTipBase, window);
    palette.setColor(QPalette::ToolTipText, text);
    const QColor disabledText(0x7A, 0x7A, 0x7A);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Button, window);
    return palette;
}

} // namespace tovr::test
