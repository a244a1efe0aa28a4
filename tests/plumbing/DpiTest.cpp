// The display-scale helpers every DPI computation goes through.
#include <windows.h>

#include <gtest/gtest.h>

#include "plumbing/Dpi.h"

TEST(Dpi, RescalesAsMulDivRounds) {
    // The helpers took the place of MulDiv (font heights are negative), so
    // they must give what it gives, halves away from zero included.
    for (const int from : {72, 96, 120, 144, 192})
        for (const int to : {96, 120, 144, 168, 192, 240})
            for (int value = -300; value <= 300; ++value)
                ASSERT_EQ(Dpi::Rescale(value, to, from), MulDiv(value, to, from)) << value << " " << to << "/" << from;
    // Points round the same way: 12.5, -12.5, 14.4.
    EXPECT_EQ(Dpi::FromPoints(9, 100), 13);
    EXPECT_EQ(Dpi::FromPoints(-9, 100), -13);
    EXPECT_EQ(Dpi::FromPoints(10.8, 96), 14);
}

TEST(Dpi, MetricsAtTheSystemDpiAreTheSystemsOwn) {
    const int system = Dpi::System();
    for (const int index : {SM_CXFRAME, SM_CYFRAME, SM_CYCAPTION, SM_CXICON, SM_CXSMICON})
        EXPECT_EQ(Dpi::Metric(index, system), GetSystemMetrics(index)) << index;
    // Twice the DPI, about twice the size (the system rounds its own way).
    EXPECT_NEAR(Dpi::Metric(SM_CYCAPTION, 2 * system), 2 * GetSystemMetrics(SM_CYCAPTION), 2);
}
