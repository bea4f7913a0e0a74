#include "ui/views/ColorContrast.h"

#include <QtMath>

namespace tovr {

double relativeLuminance(const QColor& colour) {
    auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : qPow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor mixColors(const QColor& from, const QColor& to, double amount) {
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * amount,
                            from.greenF() + (to.greenF() - from.greenF()) * amount,
                            from.blueF() + (to.blueF() - from.blueF()) * amount);
}

QColor towardsContrast(const QColor& colour, const QColor& away,
                       std::initializer_list<QColor> backgrounds, double ratio) {
    for (int step = 0; step < 20; ++step) {
        const QColor candidate = mixColors(colour, away, step / 20.0);
        bool reads = true;
        for (const QColor& background : backgrounds)
            reads = reads && contrastRatio(candidate, background) >= ratio;
        if (reads)
            return candidate;
    }
    return away;
}

} // namespace tovr
