#pragma once

#include <QString>

class QAbstractButton;
class QWidget;

namespace tovr {

// What a screen reader speaks for a control that shows `shown`: the words without the
// glyphs that only decorate them ("‹ Back" is "Back", "Choose my folder…" is "Choose my
// folder", "See recommendations →" is "See recommendations").
QString spokenWords(const QString& shown);

// A screen reader hears `label` as a heading (a page's or a sheet's title) and moves by it.
// Call it before the label gets its text: a screen reader that is listening keeps the
// first description it is given of a widget.
void markAsHeading(QWidget* label);
bool isHeading(const QWidget* label);

// A screen reader hears `button`, which opens a web page, as a link. Call it before the
// button is shown, for the same reason.
void markAsLink(QAbstractButton* button);

} // namespace tovr
