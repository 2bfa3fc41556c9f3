#pragma once
// The command line of truv-sim, the simulated participant: which study it runs,
// which data file it writes, who the participant is and how the participant answers.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Ends the block with this running number (the data file's "Block" column, 1-based)
// with the skip key after this many correctly answered trials.
struct SkipRequest {
    int block = 0;
    int trials = 0;
};

struct SimOptions {
    std::string inputPath;            // as given: the subject page checks it
    std::string dataPath;             // as given
    std::string subjectNumber = "0";  // as typed on the page, which checks it
    int sexIndex = -1;                // -1 none, 0 m, 1 f
    std::string otherCode;
    std::optional<std::uint32_t> seed;  // none: a seed is drawn from the system
    double rtMean = 700;                // milliseconds, mean of the latency distribution
    double rtSd = 100;                  // milliseconds, SD of its normal part
    double rtTau = 150;                 // milliseconds, mean of its exponential part
    double errorRate = 0.05;            // probability of a wrong key before the right one
    double effect = 0;                  // milliseconds added to the latencies after the category switch
    std::vector<SkipRequest> skips;
    bool report = false;    // exit with the report code and print the report
    double pace = 0;        // real seconds slept for each virtual second waited
    bool progress = false;  // announce each block once its lines are written
    bool help = false;      // --help: nothing else is required
};

// Parses the arguments after the program name. Returns nothing, with the reason in
// error, for an unknown option, a missing or malformed value, a value out of range,
// a block given twice to --skip, a missing input file or --data, more than one
// input file, or a mean latency (with --effect, that of either half) below --rt-tau.
std::optional<SimOptions> parseSimOptions(const std::vector<std::string>& args, std::string& error);

// The text of --help.
const char* simUsageText();
