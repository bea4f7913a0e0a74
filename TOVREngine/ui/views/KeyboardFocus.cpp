#include "ui/views/KeyboardFocus.h"

#include "ui/views/Typography.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace tovr {

namespace {

// Somewhere to type.
bool isField(const QWidget* widget) {
    if (auto* line = qobject_cast<const QLineEdit*>(widget))
        return !line->isReadOnly();
    if (auto* edit = qobject_cast<const QPlainTextEdit*>(widget))
        return !edit->isReadOnly();
    if (auto* edit = qobject_cast<const QTextEdit*>(widget))
        return !edit->isReadOnly();
    return qobject_cast<const QAbstractSpinBox*>(widget) != nullptr;
}

bool isTabStop(const QWidget* widget, const QWidget* window) {
    return widget->window() == window && !widget->focusProxy() && widget->isVisible() &&
           widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

// `widgets` line by line from the top, left to right within a line: a widget whose middle
// lies within the line begun above it stands on that line.
QList<QWidget*> inReadingOrder(const QList<QWidget*>& widgets) {
    struct Place {
        QWidget* widget;
        QRect rect; // in the window's coordinates
    };
    QList<Place> places;
    for (QWidget* widget : widgets)
        places.append(
            {widget, QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size())});
    std::stable_sort(places.begin(), places.end(),
                     [](const Place& a, const Place& b) { return a.rect.top() < b.rect.top(); });
    QList<QWidget*> order;
    for (qsizetype first = 0; first < places.size();) {
        const QRect line = places[first].rect;
        qsizetype end = first + 1;
        while (end < places.size() && places[end].rect.center().y() <= line.bottom())
            ++end;
        std::stable_sort(
            places.begin() + first, places.begin() + end,
            [](const Place& a, const Place& b) { return a.rect.left() < b.rect.left(); });
        for (qsizetype i = first; i < end; ++i)
            order.append(places[i].widget);
        first = end;
    }
    return order;
}

} // namespace

QList<QWidget*> tabStopsInReadingOrder(QWidget* scope) {
    if (!scope)
        return {};
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QWidget* window = scope->window();
    QList<QWidget*> stops;
    for (QWidget* widget : scope->findChildren<QWidget*>())
        if (isTabStop(widget, window))
            stops.append(widget);
    return inReadingOrder(stops);
}

bool moveFocusInReadingOrder(QWidget* scope, bool next) {
    QList<QWidget*> stops = tabStopsInReadingOrder(scope);
    if (stops.isEmpty())
        return false;
    QWidget* focus = scope->window()->focusWidget();
    // Controls disabled while a sheet works over the window keep the focus, so it is where
    // it was when the sheet goes (not on a link further down, or on "‹ Back").
    if (focus && focus->isVisible() && !focus->isEnabled() && QApplication::activeModalWidget() &&
        QApplication::activeModalWidget()->window() != scope->window())
        return true;
    QWidget* from = nullptr;
    for (QWidget* inside = focus; inside && !from; inside = inside->parentWidget())
        if (stops.contains(inside))
            from = inside;
    // A focus that is no stop (hidden or disabled just now) goes on from where it stood.
    if (!from && focus && scope->isAncestorOf(focus)) {
        stops.append(focus);
        stops = inReadingOrder(stops);
        from = focus;
    }
    const qsizetype at = stops.indexOf(from);
    const qsizetype count = stops.size();
    const qsizetype to = at < 0 ? (next ? 0 : count - 1) : (at + (next ? 1 : count - 1)) % count;
    QWidget* target = stops[to];
    if (target == focus)
        return true; // the only stop
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    for (QWidget* parent = target->parentWidget(); parent; parent = parent->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(parent))
            area->ensureWidgetVisible(target);
    return true;
}

QWidget* firstFocus(QWidget* page) {
    const QList<QWidget*> stops = tabStopsInReadingOrder(page);
    for (QWidget* stop : stops)
        if (isField(stop))
            return stop;
    if (QPushButton* button = findDefaultButton(page); button && stops.contains(button))
        return button;
    return stops.isEmpty() ? nullptr : stops.first();
}

void focusFirstControl(QWidget* page, QWidget* fallback) {
    if (!page)
        return;
    QTimer::singleShot(0, page, [page, fallback = QPointer<QWidget>(fallback)] {
        if (!page->isVisible())
            return;
        QWidget* first = firstFocus(page);
        QWidget* target = first ? first : fallback.data();
        if (target && target->isVisible() && target->isEnabled())
            target->setFocus(Qt::OtherFocusReason);
    });
}

} // namespace tovr
