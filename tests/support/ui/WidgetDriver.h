#pragma once

#include "support/SpinUntil.h"

#include "ui/views/ClickGuard.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyleHints>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace tovr::test {

// Delivers what the GUI thread has queued by now (queued calls, deleteLater); it waits for
// nothing else. Enough before checking that a click did NOT do something; whatever a worker
// brings is waited for with spinUntil.
inline void settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The visible widget named `name` under `root`, or null.
template <class W = QWidget> W* findVisible(QWidget* root, const QString& name) {
    for (W* w : root->findChildren<W*>(name))
        if (w->isVisible())
            return w;
    return nullptr;
}

// The title a screen reader hears as the heading of what `root` shows now, or nothing.
inline QString shownHeading(QWidget* root) {
    for (QLabel* label : root->findChildren<QLabel*>())
        if (label->isVisible())
            if (QAccessibleInterface* face = QAccessible::queryAccessibleInterface(label);
                face && face->role() == QAccessible::Heading)
                return face->text(QAccessible::Name);
    return {};
}

// Waits until the focus of `root`'s window is on the control named `name`.
[[nodiscard]] inline bool focusComesTo(QWidget* root, const QString& name) {
    return spinUntil([&] {
        QWidget* focus = root->window()->focusWidget();
        return focus && focus->objectName() == name;
    });
}

// Waits until a page just shown lets presses through (`widget` is on it), as a person's
// next press would come after the double-click interval.
[[nodiscard]] inline bool waitOutClickGuard(QWidget* widget) {
    return spinUntil([&] { return !isGuardedAgainstSecondClick(widget); });
}

// Clicks the visible button named `name` with the mouse, as a person would: once it is there
// and enabled (a page may still wait for its worker, the disk or a probe, to show it) and
// its page takes presses. Fails the test when there is no such button.
inline bool clickButton(QWidget* root, const QString& name) {
    QAbstractButton* button = nullptr;
    if (!spinUntil([&] {
            button = findVisible<QAbstractButton>(root, name);
            return button && button->isEnabled() && !isGuardedAgainstSecondClick(button);
        })) {
        ADD_FAILURE() << "no visible, enabled button " << name.toStdString();
        return false;
    }
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    return true;
}

// A double-click interval long enough that a test's press "at once" lands inside it however
// slow the machine; the short one comes back at the end of the scope.
class LongDoubleClickInterval {
public:
    LongDoubleClickInterval() : before_(QApplication::doubleClickInterval()) {
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(2000);
    }
    ~LongDoubleClickInterval() {
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(before_);
    }
    LongDoubleClickInterval(const LongDoubleClickInterval&) = delete;
    LongDoubleClickInterval& operator=(const LongDoubleClickInterval&) = delete;

private:
    int before_;
};

} // namespace tovr::test
