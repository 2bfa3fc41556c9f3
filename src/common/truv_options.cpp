#include "common/truv_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/command_line.h"
#include "platform/desktop_session.h"

std::optional<TruvCommandLine> parseTruvCommandLine(const std::vector<std::string>& args, std::string& error)
{
    TruvCommandLine line;
    const std::vector<CommandLineOption> options = {
        flagOption(x11Option, line.x11),
        flagOption("--help", line.help),
        flagOption("-h", line.help),
        {"--scale", true,
         [&line](std::string_view name, const std::string& value) {
             if (line.scale)
                 return std::string(name) + " is given twice";
             double scale = 0;
             if (!parseDecimal(value, 1, maxDisplayScale, scale))
                 return badValue(name, value, "a number from 1 to " + scaleText(maxDisplayScale));
             line.scale = scale;
             return std::string();
         }},
    };
    error = parseCommandLine(args, options,
                             [&line](const std::string& arg) {
                                 line.qtArgs.push_back(arg);
                                 return std::string();
                             },
                             {.unknownOptionsAreOperands = true});
    if (!error.empty())
        return std::nullopt;
    return line;
}

const char* truvUsageText()
{
    return R"(Usage: truv [--scale F] [--x11] [Qt's options]

The experiment program: the main menu, the runs of a study and its editors.

Options:
  --scale F    shows every screen of the program F times as large, the
               participant's screens and the menu alike: a number from 1 to 16,
               decimals allowed (default 1). A scale at which the task window does
               not fit the primary monitor is refused, naming the largest that fits.
  --x11        in a Wayland session, runs through XWayland
  --help       shows this text

Every other argument is passed on to Qt.

Exit status: 0 after Exit, 1 no screen, 2 wrong usage or a scale too large for the
primary monitor.
)";
}

std::string scaleText(double scale)
{
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, scale);
    return ec == std::errc() ? std::string(text, end) : std::string();
}

double largestFittingScale(double scale, ScreenSize window, ScreenSize output)
{
    if (window.width <= 0 || window.height <= 0)
        return maxDisplayScale;
    const double ratio = std::min(static_cast<double>(output.width) / window.width,
                                  static_cast<double>(output.height) / window.height);
    // A hair under a whole hundredth (2.02 as 201.99999...) counts as that hundredth.
    const double hundredths = std::floor(scale * ratio * 100 + 1e-6);
    return std::min(hundredths / 100, maxDisplayScale);
}

std::string scaleRefusal(double scale, ScreenSize window, ScreenSize output)
{
    if (window.width <= output.width && window.height <= output.height)
        return {};
    const auto size = [](ScreenSize s) { return std::to_string(s.width) + "x" + std::to_string(s.height); };
    const double largest = largestFittingScale(scale, window, output);
    return "--scale " + scaleText(scale) + " is too large for the primary screen (" + size(output) +
           " pixels): the participant's screens would be up to " + size(window) + " pixels. " +
           (largest >= 1 ? "The largest scale that fits is " + scaleText(largest) + "."
                         : "The participant's screens do not fit it even at scale 1.");
}
