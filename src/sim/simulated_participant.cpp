#include "sim/simulated_participant.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ostream>
#include <thread>
#include <sstream>

#include "run/run_driver.h"
#include "run/subject_page.h"
#include "common/file_existence.h"
#include "common/text_codec.h"

// --- clock, calendar, generators ---

std::int64_t VirtualClock::nowMicroseconds()
{
    if (readSinceKey_)
        now_ += loopStep;
    readSinceKey_ = true;
    return now_;
}

void VirtualClock::wait(std::int64_t microseconds)
{
    if (microseconds <= 0)
        return;
    now_ += microseconds;
    if (pace_ > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(std::llround(static_cast<double>(microseconds) * pace_)));
}

std::time_t VirtualCalendar::secondsNow()
{
    return start_ + static_cast<std::time_t>(clock_.peekMicroseconds() / 1'000'000);
}

void SeededRandom::seed(unsigned value)
{
    std::seed_seq sequence{static_cast<std::uint32_t>(value), runSeed_};
    engine_.seed(sequence);
}

int SeededRandom::next() { return static_cast<int>(engine_() >> 1); }

LatencyModel::LatencyModel(double mean, double sd, double tau) : mu_(mean - tau), sd_(sd), tau_(tau) {}

double LatencyModel::draw(std::mt19937& generator, double shift)
{
    // Both parts are drawn every time, so that the sequence of draws does not depend
    // on the parameters being zero.
    const double z = normal_(generator);
    const double e = exponential_(generator);
    return std::max(minimumLatency, mu_ + shift + sd_ * z + tau_ * e);
}

// --- the participant ---

namespace {

// The calendar second of the run's virtual start, fixed by the seed (September 2001
// for seed 0).
std::time_t calendarStart(std::uint32_t seed) { return 1'000'000'000 + static_cast<std::time_t>(seed); }

std::uint32_t seedOf(const SimOptions& options)
{
    if (options.seed)
        return *options.seed;
    std::random_device device;
    return device();
}

}  // namespace

SimulatedParticipant::SimulatedParticipant(const SimOptions& options)
    : options_(options),
      seed_(seedOf(options)),
      generator_(seed_),
      latencies_(options.rtMean, options.rtSd, options.rtTau),
      error_(std::clamp(options.errorRate, 0.0, 1.0)),
      random_(seed_),
      calendar_(clock_, calendarStart(seed_)),
      engine_(view_, clock_, pointer_, random_, calendar_)
{
    clock_.setPace(options.pace);
}

void SimulatedParticipant::blockRecorded(int blockNumber, bool written)
{
    // Flushed at once: whoever reads it may stop the process right after.
    if (progress_ && written)
        *progress_ << "block " << blockNumber << " recorded" << std::endl;
}

void SimulatedParticipant::showBlockFeedback(std::string_view, std::string_view)
{
    if (progress_)
        *progress_ << "block " << blocksRun_ << " feedback" << std::endl;
    if (options_.pace > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(std::llround(feedbackSeconds * 1e6 * options_.pace)));
}

std::optional<SubjectRecord> SimulatedParticipant::askSubject(const LocalDateTime& start)
{
    SubjectPageEntries entries = initialSubjectEntries(start);
    entries.inputPath = options_.inputPath;
    entries.dataPath = options_.dataPath;
    entries.subjectNumber = options_.subjectNumber;
    entries.sexIndex = options_.sexIndex;
    entries.otherCode = options_.otherCode;

    // OK once; where the page would stay open with its message, the participant
    // gives up.
    const SubjectPageAcceptance acceptance = acceptSubjectPage(entries, start, fileExists, fileAbsenceReason);
    if (acceptance.fieldMessage)
        messages_.push_back(*acceptance.fieldMessage);
    else if (!acceptance.record)
        messages_.push_back(subjectPageMessage(acceptance.errors).value_or("the subject page refused its entries"));
    return acceptance.record;
}

void SimulatedParticipant::showFileError(std::string_view message, std::string_view detail)
{
    std::string text(message);
    if (!detail.empty()) {
        if (!text.empty() && text.back() != ' ' && text.back() != '\n')
            text += '\n';
        text += detail;
    }
    messages_.push_back(text);
}

void SimulatedParticipant::showWriteFailure(std::string_view message) { messages_.emplace_back(message); }

OutputTrouble SimulatedParticipant::askOutputTrouble(std::string_view message)
{
    if (troubleShown_++ == 0)
        messages_.emplace_back(message);
    if (troubleShown_ > troubleRetries)
        return OutputTrouble::EndRun;
    if (options_.pace > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(std::llround(feedbackSeconds * 1e6 * options_.pace)));
    return OutputTrouble::TryAgain;
}

std::optional<std::string> SimulatedParticipant::askHeldLinesFile(std::string_view, std::string_view)
{
    return std::nullopt;
}

bool SimulatedParticipant::confirmHeldLinesLost(std::string_view) { return true; }

std::optional<std::string> SimulatedParticipant::askExitCode()
{
    return std::string(options_.report ? reportCode : endCode);
}

void SimulatedParticipant::showReport(int subjectNumber, const ScoreTable& scores)
{
    reportText_ = reportColumns(subjectNumber, scores);
}

std::int64_t SimulatedParticipant::drawLatencyMicroseconds(double shift)
{
    return std::llround(latencies_.draw(generator_, shift) * 1000.0);
}

void SimulatedParticipant::press(BlockEngine& engine, TaskCommand command)
{
    clock_.markKey();
    engine.key(command);
}

void SimulatedParticipant::play(BlockEngine& engine, int stopAfter, bool allowErrors, double shift)
{
    press(engine, TaskCommand::StartBlock);
    int answered = 0;
    while (engine.state() == BlockEngine::State::WordShown) {
        if (answered == stopAfter) {
            press(engine, TaskCommand::SkipBlock);
            return;
        }
        const bool left = engine.correctSideIsLeft();
        const std::int64_t latency = drawLatencyMicroseconds(shift);
        // Drawn for every word, so that the latencies do not depend on the error rate.
        const bool wrongFirst = error_(generator_);
        const double point = errorPoint_(generator_);
        if (allowErrors && wrongFirst) {
            const auto early = static_cast<std::int64_t>(static_cast<double>(latency) * point);
            clock_.wait(early);
            press(engine, left ? TaskCommand::RightResponse : TaskCommand::LeftResponse);
            clock_.wait(latency - early);
        } else {
            clock_.wait(latency);
        }
        press(engine, left ? TaskCommand::LeftResponse : TaskCommand::RightResponse);
        ++answered;
    }
}

BlockRun SimulatedParticipant::runBlock(const BlockSettings& settings, TrialResults& results)
{
    ++blocksRun_;
    int stopAfter = -1;
    for (const SkipRequest& skip : options_.skips) {
        if (skip.block == blocksRun_)
            stopAfter = skip.trials;
    }

    const double shift = half_ == 1 ? options_.effect : 0.0;
    return conductBlock(engine_, settings, &results, [&] { play(engine_, stopAfter, true, shift); });
}

// --- the sub-screens ---

TextReply SimulatedParticipant::Questions::askText(std::string_view)
{
    TextReply reply;
    reply.closedWithOk = true;
    reply.answer = "w" + std::to_string(++answers_);
    return reply;
}

RadioReply SimulatedParticipant::Questions::askRadio(std::string_view, std::string_view, std::string_view)
{
    RadioReply reply;
    reply.closedWithOk = true;
    reply.selection = 0;
    return reply;
}

ListReply SimulatedParticipant::Questions::askList(std::string_view, const std::vector<std::string>& choices)
{
    // A list without a choice can only be left with "no answer".
    ListReply reply;
    reply.closedWithOk = true;
    if (choices.empty())
        reply.noAnswer = true;
    else
        reply.selection = 0;
    return reply;
}

void SimulatedParticipant::Questions::showWarning(std::string_view message)
{
    participant_.messages_.emplace_back(message);
}

std::optional<std::pair<Entries, Entries>> SimulatedParticipant::Review::reviewLists(const ListReviewState& state)
{
    return std::pair{state.entries(0), state.entries(1)};
}

BlockEnd SimulatedParticipant::Tutorial::runTutorialPart(int, const BlockSettings& settings)
{
    SimulatedParticipant& p = participant_;
    BlockEngine engine(p.view_, p.clock_, p.pointer_, p.random_, p.calendar_);
    return conductBlock(engine, settings, nullptr, [&] { p.play(engine, -1, false, 0.0); }).end;
}

// --- report and the whole run ---

namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

}  // namespace

std::string reportColumns(int subjectNumber, const ScoreTable& scores)
{
    const std::vector<std::string> left = linesOf(scores.leftColumnText());
    const std::vector<std::string> right = linesOf(scores.rightColumnText());
    std::size_t width = 0;
    for (const std::string& line : left)
        width = std::max(width, line.size());

    std::string text = "Subject: " + std::to_string(subjectNumber) + "\n";
    for (std::size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
        // Padded in single bytes, one a character, before the labels become UTF-8.
        std::string line = i < left.size() ? left[i] : std::string();
        if (i < right.size() && !right[i].empty())
            line += std::string(width - line.size() + 4, ' ') + right[i];
        text += windows1252ToUtf8(line) + "\n";
    }
    return text;
}

int runSimulation(const SimOptions& options, const LocalDateTime& start, std::ostream& out, std::ostream& err)
{
    SimulatedParticipant participant(options);
    if (options.progress)
        participant.setProgressStream(&out);
    RunDriver driver(participant);
    const RunOutcome outcome = driver.runExperiment(start);

    // Every line of every message on a line of its own, after the program's name.
    auto report = [&](const std::vector<std::string>& messages) {
        for (const std::string& message : messages) {
            std::istringstream lines(message);
            for (std::string line; std::getline(lines, line);)
                if (!line.empty())
                    err << "truv-sim: " << line << "\n";
        }
    };
    switch (outcome.status) {
    case RunOutcome::Status::Completed:
        if (participant.reportText())
            out << *participant.reportText();
        // A completed run that lost output has told the experimenter so; it fails.
        if (outcome.writeFailures.empty())
            return 0;
        report(participant.messages().empty() ? outcome.writeFailures : participant.messages());
        return 1;
    case RunOutcome::Status::Stopped:
        // The reason holds the file error's message and detail, or the questionnaire
        // that could not be used.
        report(!outcome.reason.empty() ? std::vector<std::string>{outcome.reason} : participant.messages());
        return 1;
    case RunOutcome::Status::Cancelled:
        report(participant.messages().empty() ? std::vector<std::string>{"the subject page was cancelled"}
                                              : participant.messages());
        return 1;
    }
    return 1;
}
