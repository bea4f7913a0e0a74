#include "support/ui/Screenshots.h"

#include "support/ui/AccessibilityCheck.h"
#include "support/ui/ActionCheck.h"
#include "support/ui/KeyboardCheck.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace tovr::test {

namespace {

// A resize or a palette change settles over a few layout passes (wrapped labels ask for
// their height).
void settleLayout() {
    for (int i = 0; i < 4; ++i) {
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QApplication::processEvents();
    }
}

void saveImages(QWidget* widget, const QString& name) {
    const QString dir = qEnvironmentVariable("TOVR_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    settleLayout();
    widget->grab().save(QDir(dir).filePath(name + ".png"));
    withDarkPalette([&] { widget->grab().save(QDir(dir).filePath(name + "-dark.png")); });
}

} // namespace

void saveScreenshot(QWidget* widget, const QString& name) {
    if (!widget)
        return;
    settleLayout();
    checkAccessibility(widget, name);
    checkKeyboard(widget, name);
    saveImages(widget, name);
    if (qobject_cast<QDialog*>(widget) && widget->parentWidget())
        saveImages(widget->parentWidget()->window(), name + "-behind");
    // Last: it presses the screen's choices (and puts them back where it can).
    checkAccessibleActions(widget, name);
}

void saveScreenshotsAtTwoSizes(QWidget* window, const QString& name) {
    if (!window)
        return;
    settleLayout();
    checkAccessibility(window, name);
    checkKeyboard(window, name);
    if (!qEnvironmentVariableIsEmpty("TOVR_SCREENSHOT_DIR")) {
        window->resize(720, 700);
        saveImages(window, name + "-720x700");
        window->resize(1200, 900);
        saveImages(window, name + "-1200x900");
        window->resize(720, 720);
    }
    checkAccessibleActions(window, name);
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

void withDarkPalette(const std::function<void()>& look) {
    const QPalette light = QApplication::palette();
    QApplication::setPalette(darkPalette());
    settleLayout();
    look();
    QApplication::setPalette(light);
    settleLayout();
}

} // namespace tovr::test
