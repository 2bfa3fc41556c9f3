#include <gtest/gtest.h>

#include "common/dialog_template.h"

TEST(DialogUnits, ConvertWithTheFontsBaseUnitsRoundedToNearest)
{
    // A font 6 pixels wide on average and 13 high: 4 units across are 6 pixels,
    // 8 units down are 13 pixels.
    const DialogBaseUnits base{6, 13};
    EXPECT_EQ(toPixels({4, 8, 164, 81}, base), (PixelRect{6, 13, 246, 132}));
    // 1 unit across is 1.5 pixels: rounded half up to 2; 1 unit down 1.625 -> 2.
    EXPECT_EQ(dialogUnitsToPixelsX(1, base), 2);
    EXPECT_EQ(dialogUnitsToPixelsY(3, base), 5);  // 4.875
    EXPECT_EQ(dialogUnitsToPixelsX(0, base), 0);
    // The proportions follow the font: twice the font, twice the pixels.
    const DialogBaseUnits big{12, 26};
    EXPECT_EQ(toPixels({4, 8, 164, 81}, big), (PixelRect{12, 26, 492, 263}));
}

TEST(DialogUnits, AverageCharWidthIsTheHalvedRoundedAlphabetWidth)
{
    // 52 letters 312 pixels wide: 312 / 26 = 12, (12 + 1) / 2 = 6.
    EXPECT_EQ(averageCharWidthFromAlphabet(312), 6);
    EXPECT_EQ(averageCharWidthFromAlphabet(338), 7);  // 13 -> 7: rounds up
}
