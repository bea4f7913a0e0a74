#pragma once

#include <QString>

class QWidget;

namespace tovr::test {

// Walks the keyboard over `screen` as a person would and reports each fault as a test
// failure naming `name` and the control: Tab stopping on a hidden, disabled or unnamed
// control, leaving a control out, or going back against reading order; the first focus on
// "‹ Back" where the screen has another control. The focus is put back afterwards.
void checkKeyboard(QWidget* screen, const QString& name);

} // namespace tovr::test
