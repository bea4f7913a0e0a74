#pragma once

#include "ui/views/PaletteStyle.h"

#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

namespace tovr {

// The text styles the screens use, scaled from the application font so they follow the
// desktop's size settings.
enum class TextStyle {
    largeTitle,
    title,
    title2,
    title3,
    headline,
    body,
    callout,
    subheadline,
    footnote,
    caption
};

void applyTextStyle(QWidget* widget, TextStyle style, bool semibold = false);
void applyMonospace(QWidget* widget);

// A wrapping label for text from outside or copy shown verbatim: always plain text, and
// selectable.
QLabel* makePlainLabel(const QString& text, TextStyle style = TextStyle::body,
                       QWidget* parent = nullptr);
// The same for an item of a bulleted list: the bullet is drawn, not heard.
QLabel* makeBulletLabel(const QString& text, TextStyle style, QWidget* parent = nullptr);
// The same for a page's, a sheet's or a section's title: semibold, and heard as a heading.
QLabel* makeHeadingLabel(const QString& text, TextStyle style, QWidget* parent = nullptr);
// An empty label that remembers the heights it measured for its last few widths, so that the
// layouts' many questions before a page's first paint lay its text out once a width.
QLabel* makeMeasuredLabel(QWidget* parent = nullptr);
// The text selected in one of `window`'s labels (the selection made last first), or none.
QString selectedLabelText(QWidget* window);

// A check box whose unticked box shows its edge in both palettes, with a focus ring around
// the whole box, ticked or not.
QCheckBox* makeCheckBox(const QString& text, QWidget* parent = nullptr);

enum class ButtonRole {
    prominent, // the screen's primary action: large and filled
    bordered,
    borderless,
    link,  // opens a web page; heard as a link
    score, // a small square of a row the user picks one from; filled while checked
};

// A button that never becomes a dialog's auto-default; `objectName` is its test identifier.
// Every role shows a clear focus ring. A screen reader hears its words without decorative
// glyphs.
QPushButton* makeButton(const QString& text, ButtonRole role, const QString& objectName,
                        QWidget* parent = nullptr);

// Marks `button` as the one Return presses on its page (see the root window's shortcut).
void markDefaultButton(QPushButton* button);
// The button Return presses on `page`: the visible, enabled one marked there; on a page
// with none marked, its only visible prominent button while enabled; otherwise none.
QPushButton* findDefaultButton(QWidget* page);

} // namespace tovr
