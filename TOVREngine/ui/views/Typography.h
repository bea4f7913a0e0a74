#pragma once

#include <QColor>
#include <QString>

#include <functional>

class QLabel;
class QPalette;
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

// Contrast between two opaque colours, as the Web Content Accessibility Guidelines measure
// it: 1 (none) to 21 (black on white).
double contrastRatio(const QColor& a, const QColor& b);

// Coloured text. Each tone is a light/dark pair picked from the palette's window colour and
// darkened or lightened until it reads at 4.5:1 on the window and on the text background.
enum class Tone {
    secondary,
    success, // green
    failure, // red
    warning, // orange
    caution, // yellow
    accent,
};
QColor toneColor(Tone tone, const QPalette& palette);
// Shows `widget`'s text in `tone`, and keeps it so when the palette changes (dark mode).
void applyTone(QWidget* widget, Tone tone);
void applySecondaryStyle(QWidget* widget);
// A field's placeholder in the secondary tone: the style's own is too faint to read.
void applyPlaceholderStyle(QWidget* field);

// Runs `apply` now and again whenever the application's palette changes, for colours a
// widget takes from the palette once (a style sheet, a drawn picture).
void followPalette(QWidget* widget, std::function<void()> apply);

// A rounded box behind a group, coloured from the palette: the text background with a faint
// edge, a faint grey card, a blue notice or a yellow warning.
enum class Surface { textBox, card, notice, warning };
void applySurface(QWidget* widget, Surface surface);

// Gives the check boxes under `root` (a screen or a sheet) an unticked box whose edge shows
// in both palettes, and a focus ring around the whole box, ticked or not.
void applyCheckBoxStyle(QWidget* root);

// A wrapping label for text from outside or copy shown verbatim: always plain text, and
// selectable.
QLabel* makePlainLabel(const QString& text, TextStyle style = TextStyle::body,
                       QWidget* parent = nullptr);
// The same for a page's or a sheet's title: semibold, and heard as a heading.
QLabel* makeHeadingLabel(const QString& text, TextStyle style, QWidget* parent = nullptr);

enum class ButtonRole {
    prominent, // the screen's primary action: large and filled
    bordered,
    borderless,
    link,
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
