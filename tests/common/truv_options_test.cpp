#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/truv_options.h"

namespace {

TEST(TruvOptions, OwnOptionsAreTakenAndTheRestPassedOnInOrder)
{
    struct Case {
        std::vector<std::string> args;
        std::string taken;  // x11, help, scale, then the arguments passed on
        std::string error;
    };
    const Case cases[] = {
        {{}, "x11 0 help 0 scale - |", ""},
        {{"-platform", "xcb", "--x11", "--scale", "2", "-reverse"},
         "x11 1 help 0 scale 2 | -platform xcb -reverse",
         ""},
        {{"--scale=1.5", "--style=Fusion", "-", ""}, "x11 0 help 0 scale 1.5 | --style=Fusion - ", ""},
        {{"--scale", "1"}, "x11 0 help 0 scale 1 |", ""},
        {{"--scale", "16"}, "x11 0 help 0 scale 16 |", ""},
        {{"-h"}, "x11 0 help 1 scale - |", ""},
        {{"--scale", "2", "--scale", "2"}, "", "--scale is given twice"},
        {{"--scale"}, "", "--scale needs a value"},
        {{"--scale", "big"}, "", "bad value for --scale: \"big\" (a number from 1 to 16)"},
        {{"--scale=0.99"}, "", "bad value for --scale: \"0.99\" (a number from 1 to 16)"},
        {{"--scale", "-2"}, "", "bad value for --scale: \"-2\" (a number from 1 to 16)"},
        {{"--scale", "2x"}, "", "bad value for --scale: \"2x\" (a number from 1 to 16)"},
        {{"--scale", "16.5"}, "", "bad value for --scale: \"16.5\" (a number from 1 to 16)"},
        {{"--scale", "nan"}, "", "bad value for --scale: \"nan\" (a number from 1 to 16)"},
        {{"--x11=1"}, "", "--x11 takes no value"},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto line = parseTruvCommandLine(c.args, error);
        EXPECT_EQ(error, c.error) << testing::PrintToString(c.args);
        ASSERT_EQ(line.has_value(), c.error.empty()) << testing::PrintToString(c.args);
        if (!line)
            continue;
        std::string taken = "x11 " + std::to_string(line->x11) + " help " + std::to_string(line->help) + " scale " +
                            (line->scale ? scaleText(*line->scale) : "-") + " |";
        for (const std::string& arg : line->qtArgs)
            taken += " " + arg;
        EXPECT_EQ(taken, c.taken) << testing::PrintToString(c.args);
    }
}

// The task window is 633 x 373 device pixels at scale 1 with the dialog font, and
// Qt rounds it to whole pixels at any other scale; the named scale always fits.
TEST(TruvOptions, AScaleFitsWhereTheTaskWindowDoesAndTheLargestThatFitsIsNamed)
{
    struct Case {
        double scale;
        ScreenSize window;  // at that scale
        ScreenSize output;
        double largest;
        bool fits;
    };
    const Case cases[] = {
        {2, {1266, 746}, {1280, 1024}, 2.02, true},
        {2.5, {1583, 933}, {1280, 1024}, 2.02, false},
        {3, {1899, 1119}, {1280, 1024}, 2.02, false},
        {2, {1266, 746}, {2560, 1600}, 4.04, true},
        {4.05, {2564, 1511}, {2560, 1600}, 4.04, false},
        {1.5, {950, 560}, {1920, 1080}, 2.89, true},  // the height decides: 1080 / 373
        {2, {1266, 746}, {1266, 746}, 2, true},       // exactly the output
        {2, {1267, 746}, {1266, 746}, 1.99, false},
        {1.01, {640, 377}, {633, 373}, 0.99, false},
        {2, {1268, 746}, {1280, 1024}, 2.01, true},  // a font two pixels wider at 2
        {2, {1266, 746}, {600, 400}, 0.94, false},
    };
    for (const Case& c : cases) {
        const std::string at = "scale " + scaleText(c.scale) + " on " + std::to_string(c.output.width);
        EXPECT_DOUBLE_EQ(largestFittingScale(c.scale, c.window, c.output), c.largest) << at;
        EXPECT_EQ(scaleRefusal(c.scale, c.window, c.output).empty(), c.fits) << at;
    }
    EXPECT_EQ(
        scaleRefusal(2.5, {1583, 933}, {1280, 1024}),
        "--scale 2.5 is too large for the primary screen (1280x1024 pixels): the participant's screens would be up to "
        "1583x933 pixels. The largest scale that fits is 2.02.");
    EXPECT_EQ(
        scaleRefusal(2, {1266, 746}, {600, 400}),
        "--scale 2 is too large for the primary screen (600x400 pixels): the participant's screens would be up to "
        "1266x746 pixels. The participant's screens do not fit it even at scale 1.");
}

}  // namespace
