#pragma once
// A scripted participant for the run of an experiment: it answers every screen of
// the run from its options, on a virtual clock, so that the run driver writes the
// data file and the subject log exactly as in a run with a person, in a fraction of
// the time. truv-sim is this participant on the command line.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "run/run_screens.h"
#include "sim/sim_options.h"

// A clock that stands still until the participant waits. The engine reads it in a
// loop while it waits out the inter-trial delay, so every reading after the first
// since the participant's last key moves it on by a millisecond, as time passes
// during that wait; the first reading, the one that times a response (or the onset
// after Space), is exact.
class VirtualClock final : public Clock {
public:
    static constexpr std::int64_t loopStep = 1000;  // microseconds per repeated reading

    std::int64_t nowMicroseconds() override;
    // The time now, without counting as a reading.
    std::int64_t peekMicroseconds() const { return now_; }
    // The participant waits this long; with a pace, real time passes too.
    void wait(std::int64_t microseconds);
    // Real seconds slept for each virtual second waited (0: none).
    void setPace(double pace) { pace_ = pace; }
    // The participant presses a key.
    void markKey() { readSinceKey_ = false; }

private:
    std::int64_t now_ = 0;
    bool readSinceKey_ = false;
    double pace_ = 0;
};

// The calendar of the engine's urns: a starting second fixed by the seed, moved on
// by the virtual clock, so urns filled within the same second repeat their sequence
// as they do in a run with a person.
class VirtualCalendar final : public CalendarTime {
public:
    VirtualCalendar(const VirtualClock& clock, std::time_t start) : clock_(clock), start_(start) {}
    std::time_t secondsNow() override;

private:
    const VirtualClock& clock_;
    std::time_t start_;
};

// The urns' generator: a Mersenne Twister seeded with the value the urn gives and
// the run's seed.
class SeededRandom final : public RandomGenerator {
public:
    explicit SeededRandom(std::uint32_t runSeed) : runSeed_(runSeed) {}
    void seed(unsigned value) override;
    int next() override;

private:
    std::uint32_t runSeed_;
    std::mt19937 engine_;
};

// Response times, in milliseconds: an ex-Gaussian, the sum of a normal part (mean
// mean - tau, SD sd) and an exponential part (mean tau). Its mean is therefore the
// requested mean and its SD sqrt(sd^2 + tau^2). A draw below minimumLatency is
// raised to it (a faster key is an anticipation, not a judgement); that raises the
// mean only when the normal part reaches down there, which it does not measurably
// with the defaults (550 +- 100 ms and 150 ms). A shift moves the normal part, and
// with it the mean, by that many milliseconds; the floor applies after it.
class LatencyModel {
public:
    static constexpr double minimumLatency = 150;

    LatencyModel(double mean, double sd, double tau);
    double draw(std::mt19937& generator, double shift = 0);

private:
    double mu_;
    double sd_;
    double tau_;
    std::normal_distribution<double> normal_{0.0, 1.0};
    std::exponential_distribution<double> exponential_{1.0};
};

// A task view that draws nothing.
class BlankTaskView final : public TaskView {
public:
    void clearAreas() override {}
    void showInstruction(std::string_view) override {}
    void drawLabels(const std::array<std::string, 4>&) override {}
    void drawWord(std::string_view, TextColour) override {}
    void drawFeedback(bool) override {}
    // A 640 x 480 window centred on a 1280 x 1024 screen.
    WindowGeometry windowGeometry() override { return {{320, 272, 960, 752}, 24, {0, 0, 1280, 1024}}; }
    void closeWindow(BlockEnd) override {}
};

class SimulatedParticipant final : public RunScreens {
public:
    explicit SimulatedParticipant(const SimOptions& options);

    std::optional<SubjectRecord> askSubject(const LocalDateTime& start) override;
    void showFileError(std::string_view message, std::string_view detail) override;
    PageScreens& pages() override { return pages_; }
    QuestionnaireScreens& questions() override { return questions_; }
    ReviewScreens& review() override { return review_; }
    TutorialBlocks& tutorial() override { return tutorial_; }
    void showNextBlock(const NextBlockTexts&) override {}
    // The half of the next block: after the switch, latencies carry the effect.
    void blockHalf(int half) override { half_ = half; }
    BlockRun runBlock(const BlockSettings& settings, TrialResults& results) override;
    // The participant reads the block's time and percentage and presses Enter: with
    // a pace, feedbackSeconds of real time scaled by it; the virtual clock, which
    // times only what happens in a block, stands still.
    static constexpr double feedbackSeconds = 3;
    void showBlockFeedback(std::string_view timeText, std::string_view percentText) override;
    void blockRecorded(int blockNumber, bool written) override;
    // Where "block N recorded" and "block N feedback" go with the progress option.
    void setProgressStream(std::ostream* out) { progress_ = out; }
    std::optional<std::string> askExitCode() override;
    void showReport(int subjectNumber, const ScoreTable& scores) override;
    void showWriteFailure(std::string_view message) override;
    // No experimenter comes: the participant waits (with a pace) and tries again a
    // few times, then ends the run; the lines no file took cannot be saved elsewhere
    // and are given up, so that the run's outcome reports them lost.
    static constexpr int troubleRetries = 3;
    OutputTrouble askOutputTrouble(std::string_view message) override;
    std::optional<std::string> askHeldLinesFile(std::string_view message, std::string_view proposedName) override;
    bool confirmHeldLinesLost(std::string_view message) override;

    std::uint32_t seed() const { return seed_; }
    // What the run told the experimenter: the subject page's refusal, file errors,
    // questionnaire warnings and lost output, in order.
    const std::vector<std::string>& messages() const { return messages_; }
    // The report's two columns side by side, once it has been shown.
    const std::optional<std::string>& reportText() const { return reportText_; }
    int blocksRun() const { return blocksRun_; }
    std::int64_t elapsedMicroseconds() const { return clock_.peekMicroseconds(); }

private:
    class Pages final : public PageScreens {
    public:
        void showPage(std::string_view) override { ++shown; }
        int shown = 0;
    };

    class Questions final : public QuestionnaireScreens {
    public:
        explicit Questions(SimulatedParticipant& participant) : participant_(participant) {}
        TextReply askText(std::string_view question) override;
        RadioReply askRadio(std::string_view question, std::string_view first, std::string_view second) override;
        ListReply askList(std::string_view question, const std::vector<std::string>& choices) override;
        void showWarning(std::string_view message) override;

    private:
        SimulatedParticipant& participant_;
        int answers_ = 0;
    };

    class Review final : public ReviewScreens {
    public:
        std::optional<std::pair<Entries, Entries>> reviewLists(const ListReviewState& state) override;
    };

    class Tutorial final : public TutorialBlocks {
    public:
        explicit Tutorial(SimulatedParticipant& participant) : participant_(participant) {}
        BlockEnd runTutorialPart(int part, const BlockSettings& settings) override;

    private:
        SimulatedParticipant& participant_;
    };

    // Presses Space on the opened block and answers its words until it closes, or
    // ends it with the skip key once stopAfter words are answered (never when
    // stopAfter is negative). Wrong keys only when allowErrors; every latency is
    // shifted by shift milliseconds.
    void play(BlockEngine& engine, int stopAfter, bool allowErrors, double shift);
    void press(BlockEngine& engine, TaskCommand command);
    std::int64_t drawLatencyMicroseconds(double shift);

    SimOptions options_;
    std::uint32_t seed_;
    std::mt19937 generator_;  // latencies and errors
    LatencyModel latencies_;
    std::bernoulli_distribution error_;
    std::uniform_real_distribution<double> errorPoint_{0.25, 0.75};

    VirtualClock clock_;
    std::ostream* progress_ = nullptr;
    HeadlessPointer pointer_;
    SeededRandom random_;
    VirtualCalendar calendar_;
    BlankTaskView view_;
    BlockEngine engine_;  // the run's one task window: its phase lasts the run

    Pages pages_;
    Questions questions_{*this};
    Review review_;
    Tutorial tutorial_{*this};

    int blocksRun_ = 0;
    int troubleShown_ = 0;
    int half_ = 0;  // of the next block, as the run last told
    std::vector<std::string> messages_;
    std::optional<std::string> reportText_;
};

// The report's columns side by side, line by line, the right column after the
// longest line of the left one; "Subject: N" first. Labels are converted to UTF-8.
std::string reportColumns(int subjectNumber, const ScoreTable& scores);

// Runs the experiment of the options with a simulated participant; start is the
// local date and time of the run. Writes the report (with --report) to out and the
// reasons of a stop to err. Returns the exit status: 0 completed, 1 stopped or
// output lost.
int runSimulation(const SimOptions& options, const LocalDateTime& start, std::ostream& out, std::ostream& err);
