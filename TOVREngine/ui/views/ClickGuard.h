#pragma once

class QWidget;

namespace tovr {

// Swallows mouse presses on `page` and its children for one double-click interval, so the
// second press of a double click that replaced a page (or changed it in place) never
// reaches the button now standing where the first one was.
void guardAgainstSecondClick(QWidget* page);
// True while `widget` or a page holding it is guarded: a Return meant for the page that was
// just replaced must not press the new one's default button either.
bool isGuardedAgainstSecondClick(QWidget* widget);

} // namespace tovr
