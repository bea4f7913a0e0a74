#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tovr::test {

// What a screen reader and a person with low vision meet on `root` (a screen or a sheet), as
// it is painted now: every focusable control without a name made of its visible words, and
// every text under 4.5:1 (3:1 for large titles) against the colour painted behind it. Each
// finding names the control.
QStringList accessibilityFindings(QWidget* root);

// Fails the current test for every finding on `screen`, in the light palette and in a dark one.
void checkAccessibility(QWidget* root, const QString& screen);

} // namespace tovr::test
