#pragma once

#include <QString>

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
// The secondary foreground: the palette's placeholder colour, so it follows dark mode.
void applySecondaryStyle(QWidget* widget);
void applyMonospace(QWidget* widget);

// A wrapping label for text from outside or copy shown verbatim: always plain text, and
// selectable.
QLabel* makePlainLabel(const QString& text, TextStyle style = TextStyle::body,
                       QWidget* parent = nullptr);

enum class ButtonRole {
    prominent, // the screen's primary action: large and filled
    bordered,
    borderless,
    link,
};

// A button that never becomes a dialog's auto-default; `objectName` is its test identifier.
QPushButton* makeButton(const QString& text, ButtonRole role, const QString& objectName,
                        QWidget* parent = nullptr);

// Marks `button` as the one Return presses on its page (see the root window's shortcut).
void markDefaultButton(QPushButton* button);
// The button Return presses on `page`: the visible, enabled one marked there; on a page
// with none marked, its only visible prominent button while enabled; otherwise none.
QPushButton* findDefaultButton(QWidget* page);

} // namespace tovr
