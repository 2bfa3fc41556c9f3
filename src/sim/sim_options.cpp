#include "sim/sim_options.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

const char* simUsageText()
{
    return R"(Usage: truv-sim INPUT.inp --data OUTPUT.dat [options]

Runs the experiment of INPUT.inp from the subject page to the exit code, as a run
with a person does, with a scripted participant on a virtual clock: the data file
and the subject log (OUTPUT.slg) are written exactly as such a run writes them.

The participant fills in the subject page with the values below (the page's own
checks apply; the paths are used exactly as given), acknowledges every page,
answers each questionnaire (typed answers "w1", "w2", ..., the first alternative,
the first choice), deletes nothing in the list reviews, answers the tutorial
correctly and every block word by word. The exit code is "zup", or "vandor" with
--report.

Options:
  --data PATH         the data file, ending in ".dat" (required)
  --subject N         subject number, 0 to 999 (default 0)
  --sex m|f           sex (default none)
  --other CODE        other code, at most 8 characters (default empty)
  --seed N            seed, 0 to 4294967295, of everything that is drawn: the
                      latencies, the errors and the words' order. Two runs with the
                      same seed and options write the same data file. Without it a
                      seed is drawn from the system.
  --rt-mean MS        mean latency in milliseconds (default 700)
  --rt-sd MS          SD of the latencies' normal part (default 100)
  --rt-tau MS         mean of their exponential part, at most --rt-mean
                      (default 150)
  --error-rate P      probability, 0 to 1, that a word is first answered with the
                      wrong key (default 0.05)
  --effect MS         makes the participant slower by MS milliseconds, -1000 to
                      1000 (negative: faster; default 0), in the blocks after the
                      category switch, the second half of every session: their
                      mean latency is --rt-mean plus MS, which may not be below
                      --rt-tau
  --skip B:T          ends block B (the data file's "Block" column) with the skip
                      key after T correctly answered trials (0 to 100; the block is
                      started first, also when T is 0); may be given for several
                      blocks
  --report            exits with the report code and prints the report's columns
                      to standard output
  --pace F            lets real time pass while the participant waits: F real
                      seconds for each virtual second (0 to 10; default 0, no
                      waiting), so that blocks take time as with a person; each
                      block's feedback screen then takes F times 3 seconds
  --progress          prints "block N recorded" to standard output as soon as
                      block N's lines are in the data file, and "block N
                      feedback" when its feedback screen is shown
  --help              shows this text

Latencies: each is drawn from an ex-Gaussian distribution, the sum of a normal
(mean MS - TAU, SD --rt-sd) and an exponential (mean TAU) part, whose mean is
--rt-mean (after the category switch --rt-mean plus --effect: the normal part is
moved by the effect); a draw below 150 ms is raised to 150 ms. A wrong key, when
drawn, is pressed a quarter to three quarters of the way through the latency, the
right one at its end. The clock is virtual: a run takes no longer than its
computation.

The subject log's date and time are those of the real local clock when truv-sim
starts, with or without --seed.

Exit status:
  0  the run was completed
  1  the run stopped (the subject page refused an entry, a file is missing, has
     problems or cannot be written, a questionnaire is unusable), with the reason
     on standard error; the data file and the subject log are left untouched. Also
     when a completed run could not write all of its output: the lines an output
     file refused are kept in a rescue file, whose path is on standard error.
  2  usage error: an unknown option, a missing or bad value
)";
}

namespace {

bool parseInteger(std::string_view text, long long minimum, long long maximum, long long& value)
{
    if (text.empty())
        return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= minimum && value <= maximum;
}

// A decimal number; a leading minus only when negative values are wanted.
bool parseNumber(std::string_view text, double minimum, double maximum, double& value)
{
    if (text.empty() || text.front() == '+' || (text.front() == '-' && minimum >= 0))
        return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value) && value >= minimum && value <= maximum;
}

// The most a latency parameter may be: a minute and a half, well past any response.
constexpr double maxMilliseconds = 90'000;
// The most the second half may differ by: far beyond any effect a study looks for.
constexpr double maxEffect = 1000;

}  // namespace

std::optional<SimOptions> parseSimOptions(const std::vector<std::string>& args, std::string& error)
{
    SimOptions options;
    bool haveInput = false;
    bool haveData = false;
    bool haveTau = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            if (arg == "-h") {
                options.help = true;
                continue;
            }
            if (!arg.empty() && arg.front() == '-' && arg != "-") {
                error = "unknown option " + arg;
                return std::nullopt;
            }
            if (haveInput) {
                error = "more than one input file: " + options.inputPath + " and " + arg;
                return std::nullopt;
            }
            options.inputPath = arg;
            haveInput = true;
            continue;
        }

        // --name=value or --name value
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        if (name == "--help" || name == "--report" || name == "--progress") {
            if (inlineValue) {
                error = name + " takes no value";
                return std::nullopt;
            }
            (name == "--help" ? options.help : name == "--report" ? options.report : options.progress) = true;
            continue;
        }
        static const std::string_view withValue[] = {"--data",       "--subject", "--sex",   "--other",
                                                     "--seed",       "--rt-mean", "--rt-sd", "--rt-tau",
                                                     "--error-rate", "--skip",    "--pace",  "--effect"};
        bool known = false;
        for (std::string_view n : withValue)
            known = known || n == name;
        if (!known) {
            error = "unknown option " + name;
            return std::nullopt;
        }
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = name + " needs a value";
            return std::nullopt;
        }

        auto bad = [&](const std::string& what) {
            error = "bad value for " + name + ": \"" + value + "\" (" + what + ")";
            return std::nullopt;
        };
        long long integer = 0;
        if (name == "--data") {
            options.dataPath = value;
            haveData = true;
        } else if (name == "--subject") {
            options.subjectNumber = value;
        } else if (name == "--sex") {
            if (value == "m")
                options.sexIndex = 0;
            else if (value == "f")
                options.sexIndex = 1;
            else
                return bad("m or f");
        } else if (name == "--other") {
            options.otherCode = value;
        } else if (name == "--seed") {
            if (!parseInteger(value, 0, std::numeric_limits<std::uint32_t>::max(), integer))
                return bad("an integer from 0 to 4294967295");
            options.seed = static_cast<std::uint32_t>(integer);
        } else if (name == "--rt-mean") {
            if (!parseNumber(value, 1, maxMilliseconds, options.rtMean))
                return bad("milliseconds from 1 to 90000");
        } else if (name == "--rt-sd") {
            if (!parseNumber(value, 0, maxMilliseconds, options.rtSd))
                return bad("milliseconds from 0 to 90000");
        } else if (name == "--rt-tau") {
            if (!parseNumber(value, 0, maxMilliseconds, options.rtTau))
                return bad("milliseconds from 0 to 90000");
            haveTau = true;
        } else if (name == "--pace") {
            if (!parseNumber(value, 0, 10, options.pace))
                return bad("a factor from 0 to 10");
        } else if (name == "--error-rate") {
            if (!parseNumber(value, 0, 1, options.errorRate))
                return bad("a probability from 0 to 1");
        } else if (name == "--effect") {
            if (!parseNumber(value, -maxEffect, maxEffect, options.effect))
                return bad("milliseconds from -1000 to 1000");
        } else if (name == "--skip") {
            const auto colon = value.find(':');
            long long block = 0;
            long long trials = 0;
            if (colon == std::string::npos ||
                !parseInteger(std::string_view(value).substr(0, colon), 1, std::numeric_limits<int>::max(), block) ||
                !parseInteger(std::string_view(value).substr(colon + 1), 0, 100, trials))
                return bad("BLOCK:TRIALS, a block from 1 and 0 to 100 trials");
            for (const SkipRequest& s : options.skips) {
                if (s.block == block)
                    return bad("block " + std::to_string(block) + " is already given");
            }
            options.skips.push_back({static_cast<int>(block), static_cast<int>(trials)});
        }
    }

    if (options.help)
        return options;
    if (!haveInput) {
        error = "no input file given";
        return std::nullopt;
    }
    if (!haveData) {
        error = "no data file given (--data OUTPUT.dat)";
        return std::nullopt;
    }
    // The normal part's mean, rtMean - rtTau, may not be negative.
    if (options.rtTau > options.rtMean) {
        error = haveTau ? "--rt-tau may not exceed --rt-mean" : "--rt-mean may not be below --rt-tau (150 by default)";
        return std::nullopt;
    }
    // Nor that of the second half, rtMean + effect - rtTau.
    if (options.rtMean + options.effect < options.rtTau) {
        error = "--effect may not take the mean latency after the switch (--rt-mean plus --effect) below --rt-tau";
        return std::nullopt;
    }
    return options;
}
