#include "support/ui/KeyboardCheck.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace tovr::test {

namespace {

QRect placeOf(const QWidget* widget) {
    return {widget->mapTo(widget->window(), QPoint(0, 0)), widget->size()};
}

// True when `b` comes before `a` in reading order: on a line above it, or on the same line
// and to its left.
bool readsBefore(const QWidget* b, const QWidget* a) {
    const QRect rb = placeOf(b);
    const QRect ra = placeOf(a);
    if (rb.bottom() < ra.top())
        return true;
    if (ra.bottom() < rb.top())
        return false;
    return rb.right() < ra.left();
}

QString accessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

QString describe(QWidget* widget) {
    if (!widget)
        return QStringLiteral("nothing");
    QString text = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->objectName().isEmpty())
        text += QStringLiteral(" #") + widget->objectName();
    const QString name = accessibleName(widget);
    if (!name.isEmpty())
        text += QStringLiteral(" “") + name + QStringLiteral("”");
    return text;
}

// What a person can reach with Tab: every control under `screen` on show that takes Tab.
QList<QWidget*> reachable(QWidget* screen) {
    QList<QWidget*> stops;
    for (QWidget* widget : screen->findChildren<QWidget*>())
        if (widget->window() == screen->window() && !widget->focusProxy() && widget->isVisible() &&
            widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus)
            stops.append(widget);
    return stops;
}

// Ctrl+C copies the text selected in a label (which takes no focus) wherever the focus is,
// unless the focus is on something that copies its own selection. Tried on the first label.
std::optional<QString> copyFault(QWidget* screen) {
    QWidget* focus = screen->window()->focusWidget();
    if (!focus || qobject_cast<QLineEdit*>(focus) || qobject_cast<QAbstractScrollArea*>(focus))
        return std::nullopt;
    for (QLabel* label : screen->findChildren<QLabel*>()) {
        if (label->window() != screen->window() || !label->isVisible() ||
            label->textFormat() != Qt::PlainText || label->text().size() < 2)
            continue;
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(label, &enter); // a pointer makes it selectable
        label->setSelection(0, int(label->text().size()));
        if (!label->hasSelectedText())
            continue;
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier);
        const QString copied = QGuiApplication::clipboard()->text();
        const QString selected = label->selectedText();
        label->setSelection(0, 0);
        if (copied != selected)
            return QStringLiteral("Ctrl+C on %1 copies “%2”, not the text selected in a label")
                .arg(describe(focus), copied.left(40));
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

void checkKeyboard(QWidget* screen, const QString& name) {
    if (!screen || !screen->isVisible())
        return;
    QApplication::processEvents(); // a page just shown takes its first focus
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QWidget* window = screen->window();
    const QList<QWidget*> stops = reachable(screen);
    const auto fail = [&](const QString& finding) {
        ADD_FAILURE() << name.toStdString() << ": " << finding.toStdString();
    };
    for (QWidget* stop : stops)
        if (accessibleName(stop).isEmpty())
            fail(QStringLiteral("Tab stops on %1, which has no name").arg(describe(stop)));
    // Rows that can be selected and copied are for the keyboard too.
    for (auto* rows : screen->findChildren<QAbstractItemView*>())
        if (rows->isVisible() && rows->selectionMode() != QAbstractItemView::NoSelection &&
            !stops.contains(rows))
            fail(QStringLiteral("Tab never reaches %1, whose rows can be selected")
                     .arg(describe(rows)));

    QPointer<QWidget> focus = window->focusWidget();
    if (focus && focus->objectName() == QStringLiteral("navigation-back") && stops.size() > 1)
        fail(QStringLiteral("the first focus is on “‹ Back”, not on %1")
                 .arg(describe(*std::find_if(stops.begin(), stops.end(), [](QWidget* w) {
                     return w->objectName() != QStringLiteral("navigation-back");
                 }))));
    if (const auto fault = copyFault(screen))
        fail(*fault);
    if (stops.isEmpty())
        return;

    // From the first control in reading order, Tab must visit each control once, never
    // going back, and come round to the first again. Tab enters a group of exclusive choices
    // once, on one of them (arrows move within it), so its stops are read at each step.
    QWidget* first = stops.first();
    for (QWidget* stop : stops)
        if (readsBefore(stop, first))
            first = stop;
    first->setFocus(Qt::TabFocusReason);
    QList<QWidget*> visited{first};
    for (qsizetype step = 1;; ++step) {
        QWidget* from = window->focusWidget();
        if (!from) {
            fail(QStringLiteral("the focus was lost after %1").arg(describe(visited.last())));
            break;
        }
        QTest::keyClick(from, Qt::Key_Tab);
        QWidget* to = window->focusWidget();
        const QList<QWidget*> now = reachable(screen);
        if (to == first) {
            for (QWidget* stop : now)
                if (!visited.contains(stop)) {
                    fail(QStringLiteral("Tab comes back to %1 without stopping on %2")
                             .arg(describe(first), describe(stop)));
                    break;
                }
            break;
        }
        if (step > stops.size()) {
            fail(QStringLiteral("Tab from the last control, %1, goes to %2, not back to %3")
                     .arg(describe(from), describe(to), describe(first)));
            break;
        }
        if (!to || !now.contains(to)) {
            fail(QStringLiteral("Tab from %1 goes to %2, which is hidden, disabled or elsewhere")
                     .arg(describe(from), describe(to)));
            break;
        }
        if (visited.contains(to) || readsBefore(to, from)) {
            fail(QStringLiteral("Tab from %1 goes back to %2").arg(describe(from), describe(to)));
            break;
        }
        visited.append(to);
    }
    if (focus)
        focus->setFocus(Qt::OtherFocusReason);
}

} // namespace tovr::test
