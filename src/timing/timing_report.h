#pragma once
// truv-timing without the screen: its command line, the block it runs, the figures
// it computes from what it measured and the verdict it prints. The measuring itself
// (the task window and the keys sent through the X server) is in the program.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "task/block_engine.h"

struct TimingOptions {
    int trials = 100;  // at each of the delays
    int load = 0;      // busy processes running meanwhile
    bool x11 = false;  // through XWayland in a Wayland session
    bool help = false;
};

inline constexpr int minTimingTrials = 2;  // a delay lies between two words
inline constexpr int maxTimingTrials = 10000;
inline constexpr int maxTimingLoad = 64;

// Parses the arguments after the program name. Returns nothing, with the reason in
// error, for an unknown option or argument, a missing value or one out of range.
std::optional<TimingOptions> parseTimingOptions(const std::vector<std::string>& args, std::string& error);

// The text of --help.
const char* timingUsageText();

// The inter-trial delays measured, in milliseconds: none, a typical one and the
// longest an input file can set.
inline constexpr std::array<unsigned, 3> timingDelays{0, 250, 999};

// About how long one measuring pass takes, in seconds.
double timingPassSeconds(int trials);

// A combined block over two pairs of everyday categories (18 words each), pair 1's
// category 0 on the left and pair 2's on the right.
BlockSettings timingBlockSettings(int trials, unsigned delay);

// Count, mean and SD of a set of values; the 99th percentile (nearest rank) and the
// maximum of their sizes, whichever the sign.
struct Spread {
    std::size_t count = 0;
    double mean = 0;
    double sd = 0;
    double p99 = 0;
    double max = 0;
};
Spread summarise(const std::vector<double>& values);

// The share, 0 to 1, of the values whose size is at most limit; 0 for none.
double shareWithin(const std::vector<double>& values, double limit);

// What one measuring pass collected, in milliseconds.
struct TimingFigures {
    std::vector<double> latencyErrors;  // recorded latency minus the true interval
    std::array<std::vector<double>, timingDelays.size()>
        delayErrors;                // per timingDelays: correct key to next onset, minus the delay
    std::vector<double> drawTimes;  // end of the delay to the word's onset
    // A plain window doing the same task, timing each key when it is handled: recorded
    // latency minus the true interval.
    std::vector<double> referenceLatencyErrors;
    // Where the display reports its refreshes (the words presented at refreshes): the
    // source, the refresh interval, each reported refresh against the one before it
    // (its time minus the intervals counted between them), each report's arrival
    // minus the onset it reports, and the words and missed frames of every block.
    OnsetSource onsetSource = OnsetSource::AfterDrawing;
    double refreshMs = 0;
    std::vector<double> refreshJitter;
    std::vector<double> reportDelays;
    int wordsShown = 0;
    int framesMissed = 0;
};

// Whether the words were presented at refreshes.
inline bool presented(const TimingFigures& f) { return f.onsetSource != OnsetSource::AfterDrawing; }
// Whether a next word came as the delay asks: within keptDelayMs of it after drawing;
// presented, at the first refresh at or after it (up to a refresh and a millisecond
// later, never earlier).
bool delayKept(const TimingFigures& figures, double errorMs);

// The thresholds of the verdict: the share of trials, and the error in ms, within
// which a latency or a delay counts as exact or as good.
inline constexpr double verdictShare = 0.99;
inline constexpr double exactLatencyMs = 1.0;
inline constexpr double goodLatencyMs = 3.0;
// A word after a correct key: the delay, plus the word's drawing and the server's round trip.
inline constexpr double keptDelayMs = 2.0;
inline constexpr double outlierMs = 10.0;

enum class LatencyGrade { Exact, Good, Poor, NotMeasured };

LatencyGrade gradeLatencies(const TimingFigures& figures);

// The table of figures, one line each, with the shares within 1 and 3 ms.
std::string formatFigures(const TimingFigures& figures);

// The plain-language verdict on latencies, delays and drawing, with its thresholds.
std::string formatVerdict(const TimingFigures& figures);

// What the figures cover and what they do not.
const char* timingCoverageText();

// Which time the latencies were taken from, with the calibration of the X server's
// clock that decided it, on one line.
std::string describeKeyTimes(const ServerClockCalibration& calibration);
