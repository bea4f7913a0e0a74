#pragma once

#include "ui/views/ColorContrast.h"

#include <QColor>
#include <QString>

#include <functional>

class QCheckBox;
class QPalette;
class QWidget;

namespace tovr {

// Text aims a little above 4.5:1, so it still reads on the tinted boxes some of it sits on.
inline constexpr double kTextContrast = 5.0;
// Focus rings and the edges of controls.
inline constexpr double kEdgeContrast = 3.0;

// Set on a control that only an open sheet in front of it disables: a style sheet's disabled
// look must not apply to it.
inline constexpr const char* kBehindSheetProperty = "tovrBehindSheet";

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

// The style sheet of makeCheckBox's boxes, kept with the palette. Set on the box alone: a
// style sheet on a page would make every widget under it polish through the sheet's style.
void applyCheckBoxStyle(QCheckBox* box);

// The pieces the style sheets are made of: a colour as CSS, a colour moved until it reads at
// `ratio` on the window and the text background, a fill darkened or lightened until `text`
// reads on it, and the focus ring's colour.
QString cssColor(const QColor& colour, double opacity = 1.0);
QColor readableOn(const QColor& colour, const QPalette& palette, double ratio);
QColor fillUnder(const QColor& fill, const QColor& text);
QColor focusRingColor(const QPalette& palette);

} // namespace tovr
