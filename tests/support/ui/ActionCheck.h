#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tovr::test {

// What a screen reader's own actions meet on `root` (a screen or a sheet): every enabled
// choice is pressed or toggled through its accessibility action, and what it then shows must
// be what the screen's models hold (it must survive the models' views rendering again); every
// enabled field's text is set through its editable-text interface, and must be held the same
// way. Each choice is put back the same way where it can be, and text a choice cleared is
// typed again.
// With a sheet as `root`, no control behind it in its window may report itself enabled. Each
// finding names the control.
QStringList accessibleActionFindings(QWidget* root);

// Fails the current test for every finding on `root`, naming `screen`.
void checkAccessibleActions(QWidget* root, const QString& screen);

} // namespace tovr::test
