#include "sim/sim_options.h"

#include <limits>
#include <string_view>

#include "common/command_line.h"

const char* simUsageText()
{
    return R"(Usage: truv-sim INPUT.inp --data OUTPUT.dat [options]

Runs the experiment of INPUT.inp from the subject page to the exit code, as a run
with a person does, with a scripted participant on a virtual clock: the data file,
the subject log (OUTPUT.slg) and the timing record (OUTPUT.timing.tsv, every block
timed "after drawing" on the virtual clock) are written as such a run writes them.

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
     on standard error; the output files are left untouched. Also
     when a completed run could not write all of its output: the lines an output
     file refused are kept in a rescue file, whose path is on standard error.
  2  usage error: an unknown option, a missing or bad value
)";
}

namespace {

// The most a latency parameter may be: a minute and a half, well past any response.
constexpr double maxMilliseconds = 90'000;
// The most the second half may differ by: far beyond any effect a study looks for.
constexpr double maxEffect = 1000;

using Take = std::function<std::string(std::string_view name, const std::string& value)>;

Take text(std::string& target, bool* given = nullptr)
{
    return [&target, given](std::string_view, const std::string& value) {
        target = value;
        if (given != nullptr)
            *given = true;
        return std::string();
    };
}

Take number(double& target, double minimum, double maximum, const char* what, bool* given = nullptr)
{
    return [=, &target](std::string_view name, const std::string& value) {
        if (!parseDecimal(value, minimum, maximum, target))
            return badValue(name, value, what);
        if (given != nullptr)
            *given = true;
        return std::string();
    };
}

Take sex(int& index)
{
    return [&index](std::string_view name, const std::string& value) {
        if (value != "m" && value != "f")
            return badValue(name, value, "m or f");
        index = value == "m" ? 0 : 1;
        return std::string();
    };
}

Take seed(std::optional<std::uint32_t>& target)
{
    return [&target](std::string_view name, const std::string& value) {
        long long seed = 0;
        if (!parseInteger(value, 0, std::numeric_limits<std::uint32_t>::max(), seed))
            return badValue(name, value, "an integer from 0 to 4294967295");
        target = static_cast<std::uint32_t>(seed);
        return std::string();
    };
}

Take skip(std::vector<SkipRequest>& skips)
{
    return [&skips](std::string_view name, const std::string& value) {
        const auto colon = value.find(':');
        long long block = 0;
        long long trials = 0;
        if (colon == std::string::npos ||
            !parseInteger(std::string_view(value).substr(0, colon), 1, std::numeric_limits<int>::max(), block) ||
            !parseInteger(std::string_view(value).substr(colon + 1), 0, 100, trials))
            return badValue(name, value, "BLOCK:TRIALS, a block from 1 and 0 to 100 trials");
        for (const SkipRequest& s : skips) {
            if (s.block == block)
                return badValue(name, value, "block " + std::to_string(block) + " is already given");
        }
        skips.push_back({static_cast<int>(block), static_cast<int>(trials)});
        return std::string();
    };
}

}  // namespace

std::optional<SimOptions> parseSimOptions(const std::vector<std::string>& args, std::string& error)
{
    SimOptions o;
    bool haveInput = false;
    bool haveData = false;
    bool haveTau = false;
    const std::vector<CommandLineOption> table = {
        flagOption("--help", o.help),
        flagOption("-h", o.help),
        flagOption("--report", o.report),
        flagOption("--progress", o.progress),
        {"--data", true, text(o.dataPath, &haveData)},
        {"--subject", true, text(o.subjectNumber)},
        {"--sex", true, sex(o.sexIndex)},
        {"--other", true, text(o.otherCode)},
        {"--seed", true, seed(o.seed)},
        {"--rt-mean", true, number(o.rtMean, 1, maxMilliseconds, "milliseconds from 1 to 90000")},
        {"--rt-sd", true, number(o.rtSd, 0, maxMilliseconds, "milliseconds from 0 to 90000")},
        {"--rt-tau", true, number(o.rtTau, 0, maxMilliseconds, "milliseconds from 0 to 90000", &haveTau)},
        {"--pace", true, number(o.pace, 0, 10, "a factor from 0 to 10")},
        {"--error-rate", true, number(o.errorRate, 0, 1, "a probability from 0 to 1")},
        {"--effect", true, number(o.effect, -maxEffect, maxEffect, "milliseconds from -1000 to 1000")},
        {"--skip", true, skip(o.skips)},
    };
    error = parseCommandLine(args, table, [&](const std::string& operand) {
        if (haveInput)
            return "more than one input file: " + o.inputPath + " and " + operand;
        o.inputPath = operand;
        haveInput = true;
        return std::string();
    });
    if (error.empty() && !o.help) {
        // The normal part's mean, rtMean - rtTau, may not be negative; nor that of the
        // second half, rtMean + effect - rtTau.
        error = !haveInput           ? "no input file given"
                : !haveData          ? "no data file given (--data OUTPUT.dat)"
                : o.rtTau > o.rtMean ? (haveTau ? "--rt-tau may not exceed --rt-mean"
                                                : "--rt-mean may not be below --rt-tau (150 by default)")
                : o.rtMean + o.effect < o.rtTau
                    ? "--effect may not take the mean latency after the switch (--rt-mean plus --effect) below --rt-tau"
                    : "";
    }
    if (!error.empty())
        return std::nullopt;
    return o;
}
