#pragma once
// truv's own command line and the rule its display scale is held to. The program's
// options are --x11, --scale F and --help; every other argument is the toolkit's and
// is passed on to it, in its order. A scale enlarges every screen of the program; it
// is refused where the task window, enlarged, would not fit the primary screen.

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

struct TruvCommandLine {
    bool x11 = false;  // through XWayland in a Wayland session
    bool help = false;
    std::optional<double> scale;      // --scale: every screen this many times as large
    std::vector<std::string> qtArgs;  // the arguments that are not the program's own
};

inline constexpr double maxDisplayScale = 16;

// Parses the arguments after the program name. Returns nothing, with the reason in
// error, for a --scale that is no number from 1 to maxDisplayScale, that lacks its
// value or that is given twice, or for an option of the program's with a value.
std::optional<TruvCommandLine> parseTruvCommandLine(const std::vector<std::string>& args, std::string& error);

// The text of --help.
const char* truvUsageText();

// A scale as the toolkit's environment takes it and as messages name it: the shortest
// decimal that reads back as the same number ("2", "1.5").
std::string scaleText(double scale);

// The largest scale, in hundredths and rounded down, at which a window fits output
// (both in device pixels), given its size window at the scale it is shown at now.
double largestFittingScale(double scale, ScreenSize window, ScreenSize output);

// "" when the task window, window device pixels large at scale, fits the primary
// screen, output device pixels large; else the message saying so and naming the
// largest scale that fits.
std::string scaleRefusal(double scale, ScreenSize window, ScreenSize output);
