#pragma once

#include <QColor>

#include <initializer_list>

namespace tovr {

// Contrast arithmetic on opaque colours, as the Web Content Accessibility Guidelines measure
// it; no palette and no widget, so every colour the screens pick can be checked alone.

// 0 (black) to 1 (white).
double relativeLuminance(const QColor& colour);
// 1 (none) to 21 (black on white), the same either way round.
double contrastRatio(const QColor& a, const QColor& b);
// `from` moved `amount` (0 to 1) of the way to `to`.
QColor mixColors(const QColor& from, const QColor& to, double amount);
// `colour` moved towards `away` in steps of a twentieth until it reaches `ratio` against
// every one of `backgrounds`; `away` itself if no step does.
QColor towardsContrast(const QColor& colour, const QColor& away,
                       std::initializer_list<QColor> backgrounds, double ratio);

} // namespace tovr
