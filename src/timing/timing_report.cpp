#include "timing/timing_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "common/command_line.h"

const char* timingUsageText()
{
    return R"(Usage: truv-timing [--trials N] [--load N] [--x11]

Measures, on this computer and its display, how exactly TRUV records latencies.
It opens the real task window full screen and answers every word itself: at a
chosen moment it sends the A or the keypad's 5 key through the X server (XTest),
or, as a native Wayland client, through the compositor's remote desktop
interface (GNOME) or its fake input interface (KDE), now and then the wrong key
first, and compares the latency the program records with the true interval. It
also measures the interval from each correct key to the next word and the time
drawing a word takes, and, block by block, the same task in a plain window that
times each key when it handles it, for comparison; then it prints the figures
and a verdict. Do not touch the keyboard or the mouse while it runs.

Options:
  --trials N          trials at each of the delays 0, 250 and 999 ms, 2 to 10000
                      (default 100: about five minutes)
  --load N            keeps N other processes busy meanwhile, 0 to 64 (default
                      0), to see what a loaded computer does
  --x11               in a Wayland session, measures through XWayland, as
                      truv --x11 runs
  --help              shows this text

Exit status: 0 measured, 1 could not measure (no X display, no XTest extension,
no way to send keys natively on Wayland, or the measuring was interrupted),
2 wrong usage.
)";
}

namespace {

CommandLineOption wholeNumber(std::string_view option, int& target, int least, int most)
{
    return {option, true, [&target, least, most](std::string_view name, const std::string& value) {
                long long number = 0;
                if (!parseInteger(value, least, most, number))
                    return badValue(name, value,
                                    "a whole number from " + std::to_string(least) + " to " + std::to_string(most));
                target = static_cast<int>(number);
                return std::string();
            }};
}

}  // namespace

std::optional<TimingOptions> parseTimingOptions(const std::vector<std::string>& args, std::string& error)
{
    TimingOptions options;
    error = parseCommandLine(args,
                             {flagOption("--help", options.help), flagOption("-h", options.help),
                              wholeNumber("--trials", options.trials, minTimingTrials, maxTimingTrials),
                              wholeNumber("--load", options.load, 0, maxTimingLoad), flagOption("--x11", options.x11)},
                             // truv-timing takes no operand; a lone "-" reads as an option.
                             [](const std::string& arg) {
                                 return (arg == "-" ? "unknown option " : "unexpected argument ") + arg;
                             });
    if (!error.empty())
        return std::nullopt;
    return options;
}

namespace {

Entries category(const char* label, const std::array<const char*, maxItems>& words)
{
    Entries e;
    e[0].assign(label);
    for (int i = 0; i < maxItems; ++i)
        e[i + 1].assign(words[i]);
    return e;
}

}  // namespace

double timingPassSeconds(int trials)
{
    // A word waits about a tenth of a second for its key, wrong keys included; the
    // reference window answers as many words again.
    double seconds = 0;
    for (const unsigned delay : timingDelays)
        seconds += 2 * trials * (0.11 + delay / 1000.0);
    return seconds;
}

BlockSettings timingBlockSettings(int trials, unsigned delay)
{
    BlockSettings s;
    s.type = BlockType::CombinedBlock;
    s.items = {
        {{category("Fruit", {"apple", "pear", "plum", "cherry", "banana", "grape", "lemon", "orange", "peach", "melon",
                             "apricot", "mango", "kiwi", "lime", "fig", "date", "papaya", "quince"}),
          category("Tools", {"hammer", "saw", "drill", "wrench", "chisel", "pliers", "file", "rake", "spade", "axe",
                             "level", "clamp", "plane", "trowel", "mallet", "shovel", "hoe", "vise"})},
         {category("Animals", {"horse", "tiger", "mouse", "rabbit", "camel", "zebra", "otter", "beaver", "donkey",
                               "badger", "lion", "wolf", "fox", "bear", "goat", "sheep", "moose", "panda"}),
          category("Furniture",
                   {"table", "chair", "sofa", "bench", "stool", "desk", "dresser", "shelf", "cabinet", "bed",
                    "wardrobe", "couch", "cupboard", "armchair", "bookcase", "drawer", "cot", "ottoman"})}}};
    s.usableItemCount = maxEntries;
    s.leftCategory = {0, 1};
    s.trials = trials;
    s.delay = delay;
    s.instruction = "Measuring: please do not touch the keyboard or the mouse.";
    const auto label = [&](int pair, int side) {
        const int c = side == 0 ? s.leftCategory[pair] : 1 - s.leftCategory[pair];
        return s.items[pair][c][0].str();
    };
    s.labels = {label(0, 0), label(0, 1), label(1, 0), label(1, 1)};
    return s;
}

Spread summarise(const std::vector<double>& values)
{
    Spread s;
    s.count = values.size();
    if (values.empty())
        return s;
    for (double x : values)
        s.mean += x;
    s.mean /= static_cast<double>(values.size());
    if (values.size() > 1) {
        for (double x : values)
            s.sd += (x - s.mean) * (x - s.mean);
        s.sd = std::sqrt(s.sd / static_cast<double>(values.size() - 1));
    }
    std::vector<double> sizes;
    sizes.reserve(values.size());
    for (double x : values)
        sizes.push_back(std::fabs(x));
    std::sort(sizes.begin(), sizes.end());
    const auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(sizes.size())));
    s.p99 = sizes[std::clamp<std::size_t>(rank, 1, sizes.size()) - 1];
    s.max = sizes.back();
    return s;
}

double shareWithin(const std::vector<double>& values, double limit)
{
    if (values.empty())
        return 0;
    const auto within = std::count_if(values.begin(), values.end(), [&](double x) { return std::fabs(x) <= limit; });
    return static_cast<double>(within) / static_cast<double>(values.size());
}

LatencyGrade gradeLatencies(const TimingFigures& figures)
{
    if (figures.latencyErrors.empty())
        return LatencyGrade::NotMeasured;
    if (shareWithin(figures.latencyErrors, exactLatencyMs) >= verdictShare)
        return LatencyGrade::Exact;
    if (shareWithin(figures.latencyErrors, goodLatencyMs) >= verdictShare)
        return LatencyGrade::Good;
    return LatencyGrade::Poor;
}

namespace {

std::string format(const char* pattern, auto... values)
{
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, pattern, values...);
    return buffer;
}

// Cut, not rounded, to a tenth: a share just under the mark never reads as the mark.
std::string percent(double share) { return format("%.1f%%", std::floor(1000 * share + 1e-9) / 10); }

std::string row(const std::string& what, const Spread& s, bool signedMean)
{
    return format(signedMean ? "  %-40s %5zu %+8.3f %8.3f %8.3f %8.3f\n" : "  %-40s %5zu %8.3f %8.3f %8.3f %8.3f\n",
                  what.c_str(), s.count, s.mean, s.sd, s.p99, s.max);
}

// Breaks text into lines of at most width characters, the first after first, the
// others after rest.
std::string wrap(const std::string& text, const std::string& first, const std::string& rest, std::size_t width = 88)
{
    std::istringstream words(text);
    std::string out;
    std::string line = first;
    std::string word;
    bool empty = true;
    while (words >> word) {
        if (!empty && line.size() + 1 + word.size() > width) {
            out += line + "\n";
            line = rest;
            empty = true;
        }
        line += (empty ? "" : " ") + word;
        empty = false;
    }
    return out + line + "\n";
}

std::string item(const std::string& text) { return wrap(text, "  ", "    "); }

}  // namespace

bool delayKept(const TimingFigures& figures, double errorMs)
{
    if (presented(figures))
        return errorMs >= -0.001 && errorMs <= figures.refreshMs + 1.0;
    return std::fabs(errorMs) <= keptDelayMs;
}

std::string formatFigures(const TimingFigures& figures)
{
    std::string out;
    if (presented(figures))
        out += format("Onsets: %s, every %.3f ms; %d words, %d %s missed.\n", describe(figures.onsetSource),
                      figures.refreshMs, figures.wordsShown, figures.framesMissed,
                      figures.framesMissed == 1 ? "frame" : "frames");
    out += format("  %-40s %5s %8s %8s %8s %8s\n", "milliseconds", "n", "mean", "SD", "99%", "max");
    out += row("latency error, recorded minus true", summarise(figures.latencyErrors), true);
    if (!figures.referenceLatencyErrors.empty())
        out += row("  the same in a plain reference window", summarise(figures.referenceLatencyErrors), true);
    for (std::size_t d = 0; d < timingDelays.size(); ++d)
        out += row(format("key to next word, minus delay of %u ms", timingDelays[d]), summarise(figures.delayErrors[d]),
                   true);
    if (presented(figures)) {
        out += row("refresh, reported minus predicted", summarise(figures.refreshJitter), true);
        out += row("presentation report, arrival minus onset", summarise(figures.reportDelays), false);
    } else {
        out += row("drawing a word, end of delay to onset", summarise(figures.drawTimes), false);
    }
    out += "  (99% and max are of the size of the error, whichever its sign)\n";
    if (!figures.latencyErrors.empty())
        out += format("  latencies within %.0f ms of the true interval: %s of trials; within %.0f ms: %s\n",
                      exactLatencyMs, percent(shareWithin(figures.latencyErrors, exactLatencyMs)).c_str(),
                      goodLatencyMs, percent(shareWithin(figures.latencyErrors, goodLatencyMs)).c_str());
    return out;
}

std::string formatVerdict(const TimingFigures& figures)
{
    const std::vector<double>& latencies = figures.latencyErrors;
    const std::string exactShare = percent(shareWithin(latencies, exactLatencyMs));
    const std::string goodShare = percent(shareWithin(latencies, goodLatencyMs));
    const std::string mark = format("%.0f%%", 100 * verdictShare);
    std::string out = "Verdict:\n";
    switch (gradeLatencies(figures)) {
    case LatencyGrade::NotMeasured:
        return out + item("Latencies: nothing was measured.");
    case LatencyGrade::Exact:
        out += item(format("Latencies: EXACT TO THE MILLISECOND. %s of the recorded latencies are within %.0f ms of "
                           "the true interval (the mark: at least %s within %.0f ms).",
                           exactShare.c_str(), exactLatencyMs, mark.c_str(), exactLatencyMs));
        break;
    case LatencyGrade::Good:
        out += item(format("Latencies: GOOD, not exact to the millisecond. %s of the recorded latencies are within "
                           "%.0f ms of the true interval (the mark: at least %s within %.0f ms), but only %s within "
                           "%.0f ms (the mark for exact: %s).",
                           goodShare.c_str(), goodLatencyMs, mark.c_str(), goodLatencyMs, exactShare.c_str(),
                           exactLatencyMs, mark.c_str()));
        break;
    case LatencyGrade::Poor:
        out += item(format("Latencies: NOT GOOD. Only %s of the recorded latencies are within %.0f ms of the true "
                           "interval (the mark: at least %s). Close other programs, make sure the program may use "
                           "real-time priority, and measure again.",
                           goodShare.c_str(), goodLatencyMs, mark.c_str()));
        break;
    }
    const auto outliers = std::count_if(latencies.begin(), latencies.end(),
                                        [](double x) { return std::fabs(x) > outlierMs; });
    const double largest = summarise(latencies).max;
    if (outliers == 0)
        out += item(format("No trial was off by more than %.0f ms (the largest error: %.1f ms).", outlierMs, largest));
    else
        out += item(format("%ld %s off by more than %.0f ms (the largest error: %.1f ms): something else on the "
                           "computer held the program up now and then.",
                           static_cast<long>(outliers), outliers == 1 ? "trial was" : "trials were", outlierMs,
                           largest));

    std::vector<double> delays;
    for (const std::vector<double>& d : figures.delayErrors)
        delays.insert(delays.end(), d.begin(), d.end());
    if (delays.empty()) {
        out += item("Delays: nothing was measured.");
    } else {
        const double kept = static_cast<double>(std::count_if(delays.begin(), delays.end(),
                                                              [&](double x) { return delayKept(figures, x); })) /
                            static_cast<double>(delays.size());
        const std::string within =
            presented(figures)
                ? format("at the first refresh after the delay set after a correct key (up to %.1f ms later)",
                         figures.refreshMs + 1.0)
                : format("within %.0f ms of the delay set after a correct key", keptDelayMs);
        out +=
            item(format("Delays: %s. %s of the next words appeared %s (the mark: at least %s; %s).",
                        kept >= verdictShare ? "KEPT" : "NOT KEPT", percent(kept).c_str(), within.c_str(), mark.c_str(),
                        presented(figures) ? "a missed frame is a refresh later" : "the word's own drawing counts in"));
    }

    if (presented(figures)) {
        out += item(format("Onsets: every word was presented at a refresh and timed from the display's report of "
                           "it (%s); %d of %d words missed their refresh: shown one or more refreshes later, or "
                           "timed after drawing where no report came.",
                           describe(figures.onsetSource), figures.framesMissed, figures.wordsShown));
    } else if (!figures.drawTimes.empty()) {
        const Spread draw = summarise(figures.drawTimes);
        out += item(format("Drawing: a word took %.2f ms on average and at most %.1f ms to draw. The onset is taken "
                           "once the word is drawn, so drawing lengthens the pause before a word by that much, "
                           "not the latencies.",
                           draw.mean, draw.max));
    }
    return out;
}

const char* timingCoverageText()
{
    return R"(What these figures cover: the program's own path, from the moment a key event arrives
at the display server (the X server, or the Wayland compositor) to the latency the
program records, and the showing of each word up to the moment its onset is taken:
where the display reports its refreshes, the refresh at which it showed the word;
elsewhere the moment the drawing was done. The true interval runs from that onset to
the moment the key event was sent. With XTest, or the compositor's remote desktop or
fake input interface, the key enters at the display server, so the keyboard itself is
not in the path. Latencies are recorded in whole milliseconds: rounding alone makes
errors of up to 0.5 ms.

What they do not cover: the keyboard's scanning and its USB polling (up to 8 ms for a
keyboard polled 125 times a second), and the display's refresh and response time (up to
17 ms at 60 Hz before the word is on the glass). That is hardware, outside what software
can measure; it adds its own delays on every computer, and only a light sensor on the
screen and a detector on the key can measure it.
)";
}

std::string describeKeyTimes(const ServerClockCalibration& c)
{
    char figures[160];
    std::snprintf(figures, sizeof figures,
                  "offset %+.2f ms, known to %.2f ms, shortest round trip %.2f ms, %d round trips",
                  c.offsetMicroseconds / 1000.0, c.spreadMicroseconds / 1000.0, c.roundTripMicroseconds / 1000.0,
                  c.samples);
    if (c.usable)
        return std::string("Key times: the X server's own stamps (") + figures + ").";
    if (c.samples == 0)
        return "Key times: the clock when each key is handled (no round trip to the X server succeeded).";
    return std::string("Key times: the clock when each key is handled (the X server's clock is too far off or "
                       "too uncertain: ") +
           figures + ").";
}
