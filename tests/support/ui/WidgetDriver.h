#pragma once

#include "support/SpinUntil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace tovr::test {

// Lets queued calls and deleteLater run.
inline void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The visible widget named `name` under `root`, or null.
template <class W = QWidget> W* findVisible(QWidget* root, const QString& name) {
    for (W* w : root->findChildren<W*>(name))
        if (w->isVisible())
            return w;
    return nullptr;
}

// Clicks the visible button named `name` with the mouse, as a person would: after the
// double-click interval, so the second-click guard of a page just shown lets it through.
// Fails the test when there is no such button.
inline bool clickButton(QWidget* root, const QString& name) {
    QTest::qWait(QApplication::doubleClickInterval() + 5);
    // A page may still be waiting for its worker (the disk, a probe) to show the button.
    spinUntil(
        [&] {
            auto* b = findVisible<QAbstractButton>(root, name);
            return b && b->isEnabled();
        },
        3000);
    auto* button = findVisible<QAbstractButton>(root, name);
    EXPECT_NE(button, nullptr) << "no visible button " << name.toStdString();
    if (!button)
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    return true;
}

} // namespace tovr::test
