#include "ui/views/ColorContrast.h"

#include <gtest/gtest.h>

using namespace tovr;

TEST(ColorContrast, RatioRunsFromOneToTwentyOneEitherWayRound) {
    EXPECT_DOUBLE_EQ(contrastRatio(Qt::black, Qt::white), 21.0);
    EXPECT_DOUBLE_EQ(contrastRatio(QColor(0x12, 0x34, 0x56), QColor(0x12, 0x34, 0x56)), 1.0);
    // The grey that just misses 4.5:1 on white, and the one that just makes it.
    EXPECT_LT(contrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), 4.5);
    EXPECT_GE(contrastRatio(QColor(0x76, 0x76, 0x76), Qt::white), 4.5);
    EXPECT_DOUBLE_EQ(contrastRatio(Qt::white, QColor(0x77, 0x77, 0x77)),
                     contrastRatio(QColor(0x77, 0x77, 0x77), Qt::white));
}

TEST(ColorContrast, ColourMovesOnlyAsFarAsItMustToReadOnEveryBackground) {
    const QColor blue(0x00, 0x7A, 0xFF);
    EXPECT_EQ(towardsContrast(blue, Qt::black, {Qt::white}, 3.0), blue); // reads already

    // On white and on a light grey, the blue darkens until it reads on the grey as well.
    const QColor grey(0xE5, 0xE5, 0xE5);
    const QColor moved = towardsContrast(blue, Qt::black, {Qt::white, grey}, 4.5);
    EXPECT_GE(contrastRatio(moved, Qt::white), 4.5);
    EXPECT_GE(contrastRatio(moved, grey), 4.5);
    EXPECT_LT(relativeLuminance(moved), relativeLuminance(blue));
    EXPECT_GT(relativeLuminance(moved), 0.0);

    // A ratio no step reaches gives the colour it was moving to.
    EXPECT_EQ(towardsContrast(blue, Qt::white, {grey}, 21.0), QColor(Qt::white));
}
