#pragma once

#include <QList>

class QWidget;

namespace tovr {

// The controls under `scope` that Tab stops on (visible, enabled, taking Tab focus), in
// reading order: line by line from the top, left to right within a line. Pending layouts
// are settled first, so controls just shown are where they will be drawn.
QList<QWidget*> tabStopsInReadingOrder(QWidget* scope);

// Moves the focus to the next (or previous) tab stop of `scope` in reading order, wrapping
// round; a window's focusNextPrevChild calls this, so Tab follows what a reader sees however
// late a control was built. False when `scope` has no stop.
bool moveFocusInReadingOrder(QWidget* scope, bool next);

// Where the focus goes when `page` comes on screen: its first field, else its default
// (Return) button, else its first tab stop in reading order; null when it has no stop.
QWidget* firstFocus(QWidget* page);

// Once the event loop has laid out `page`: focuses its first focus, or `fallback` when it
// has no stop (a page whose only control is outside it, "‹ Back").
void focusFirstControl(QWidget* page, QWidget* fallback = nullptr);

} // namespace tovr
