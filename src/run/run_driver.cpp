#include "run/run_driver.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include <unistd.h>

#include "run/block_sequence.h"
#include "run/output_check.h"
#include "run/output_files.h"
#include "run/run_output.h"
#include "run/study_files.h"
#include "run/subject_page.h"
#include "common/file_io.h"
#include "instructions/instruction_pages.h"
#include "questionnaire/questionnaire_runner.h"

namespace {

// --- the run's own texts ---


constexpr const char* keysPage =
    "When doing the Categorization Task, use the green keys ('a' or '5') to make your categorization judgements.  "
    "The left green key corresponds to the category label on the left, and the right green key corresponds to the "
    "category label on the right.\n\nIf your selection is incorrect, you will see a red \"X\".  To continue to the "
    "next judgement, you MUST make the correct selection.\n\nYou will be provided with a chance to practice.";
constexpr const char* reviewOfferPage =
    "Before you begin the Categorization Task, we want you to look at the lists of words that you will be "
    "categorizing.";
constexpr const char* readyPage =
    "Now you are ready to begin the actual categorization task.  Please try to be as accurate as possible, while "
    "also going as quickly as possible.  If you want to rest briefly or ask a question during the experiment, "
    "please do so now, before you start the judgement task.";
constexpr const char* newCategoryPage =
    "For the next series of blocks, a new category of items will be used.  There will be practice blocks to allow "
    "you to become used to the new category before we record your responses.";
constexpr const char* firstHalfPage =
    "The next blocks are for practice.  These practice blocks will allow you to become used to the categories and "
    "their positions before we actually record your responses.";
constexpr const char* switchPage =
    "For the next several blocks of category judgments, the position of one of the categories has been switched.  "
    "There will be practice blocks to allow you to become used to the new category position before we actually "
    "record your responses.";
constexpr const char* recordedBlockPage =
    "You have now completed the practice blocks.  The next block will be recorded.  \n\nPlease note that there may "
    "not be the same number of items in the next block as there were in the practice blocks.";
constexpr const char* completedPage = "You have now completed the Categorization Task.";

constexpr const char* blockInstruction = "Press the SPACE BAR to start.";


// One category pair as a session uses it: entries 0 the labels, the counts with them.
struct PairLists {
    Entries a;
    Entries b;
    int countA = 0;
    int countB = 0;
};

// The state of one run, discarded at its end.
class ExperimentRun {
public:
    ExperimentRun(RunScreens& screens, RunOutcome& outcome) : screens_(screens), outcome_(outcome) {}

    void execute(const LocalDateTime& start);

private:
    // Stops the run with its message (shown unless show is false); returns false.
    bool stop(std::string_view message, std::string_view detail, bool show = true);
    // True when there is no refusal; else stops the run with it.
    bool goesOn(const std::optional<Refusal>& refusal);

    bool outputWritable();
    bool definitionUsable();
    bool loadLists();
    bool showInstructionPages();
    bool runQuestionnaires();
    void markFirstUses();
    void introduce();
    void reviewLists();
    void propagateLists();
    bool sessionsHaveItems(bool questionnairesFilled);

    bool outputUsable();
    void runSession(int s);
    void runBlock(int s, int half, int block, const BlockSettings& settings, const NextBlockLabels& labels);
    std::string askExitCode();
    bool outputKept();
    void saveHeldLines();
    std::string saveHeldLinesIn(const std::string& path);
    std::vector<const RunOutput*> outputs() const { return {&*data_, &*subjectLog_, &*timing_}; }
    std::vector<RunOutput*> outputs() { return {&*data_, &*subjectLog_, &*timing_}; }
    bool holding() const;
    const RunOutput* firstHolding() const;

    const SessionSettings& session(int s) const { return study_.session(s); }

    RunScreens& screens_;
    RunOutcome& outcome_;

    SubjectRecord subject_;
    std::optional<RunOutput> data_;
    std::optional<RunOutput> subjectLog_;
    std::optional<RunOutput> timing_;
    // "End the run" was chosen while no file took the run's lines.
    bool ended_ = false;
    StudyFiles study_;
    std::array<std::array<PairLists, 2>, maxSessions> sessionLists_{};
    std::array<std::array<bool, 2>, maxSessions> firstUse_{};

    int blockNumber_ = 0;
    ScoreTable scores_;
    TrialResults results_{};
    // The sides of the half last finished, for the skip of repeated practice.
    std::array<int, 2> finishedLeft_{0, 0};
};

void ExperimentRun::execute(const LocalDateTime& start)
{
    std::optional<SubjectRecord> subject = screens_.askSubject(start);
    if (!subject) {
        outcome_.status = RunOutcome::Status::Cancelled;
        return;
    }
    subject_ = *subject;

    if (!outputWritable())
        return;
    if (!definitionUsable() || !loadLists() || !outputUsable() || !showInstructionPages() || !runQuestionnaires())
        return;
    markFirstUses();
    introduce();
    reviewLists();
    propagateLists();
    if (!sessionsHaveItems(true))
        return;
    screens_.pages().showPage(readyPage);

    const std::string rescueFolder = rescueDirectory();
    const long processId = static_cast<long>(::getpid());
    data_.emplace("data file", subject_.dataPath, dataFileHeader(),
                  rescuePathFor(subject_.dataPath, subject_.start, processId, rescueFolder), rescueFolder);
    subjectLog_.emplace("subject log", subject_.subjectLogPath, subjectLogHeader(study_.definition.sessionCount),
                        rescuePathFor(subject_.subjectLogPath, subject_.start, processId, rescueFolder), rescueFolder);
    timing_.emplace("timing record", subject_.timingPath, timingRecordHeader(),
                    rescuePathFor(subject_.timingPath, subject_.start, processId, rescueFolder), rescueFolder);
    data_->prepare();
    timing_->prepare();
    for (int s = 0; s < study_.sessionCount && !ended_; ++s)
        runSession(s);
    if (ended_) {
        // The disk may have room again.
        data_->write();
        timing_->write();
    } else
        screens_.pages().showPage(completedPage);

    const std::string code = askExitCode();
    scores_.finish(study_.sessionCount);
    subjectLog_->append("", {formatSubjectLogLine(subject_, study_.definition, scores_)});
    if (!ended_ && !outputKept())
        ended_ = true;
    saveHeldLines();

    outcome_.endedEarly = ended_;
    for (const RunOutput* output : outputs()) {
        outcome_.writeFailures.insert(outcome_.writeFailures.end(), output->failures().begin(),
                                      output->failures().end());
        if (output->rescued())
            outcome_.rescueFiles.push_back(output->rescuePath());
    }
    if (!outcome_.writeFailures.empty())
        screens_.showWriteFailure(writeFailureText(outcome_));
    if (code == reportCode) {
        screens_.showReport(subject_.subjectNumber, scores_);
        outcome_.reportShown = true;
    }
    outcome_.status = RunOutcome::Status::Completed;
}

bool ExperimentRun::stop(std::string_view message, std::string_view detail, bool show)
{
    if (show)
        screens_.showFileError(message, detail);
    outcome_.status = RunOutcome::Status::Stopped;
    outcome_.reason = std::string(message);
    if (!detail.empty())
        outcome_.reason += (outcome_.reason.ends_with(' ') ? "" : "\n") + std::string(detail);
    return false;
}

bool ExperimentRun::goesOn(const std::optional<Refusal>& refusal)
{
    return !refusal || stop(refusal->message, refusal->detail);
}

// Every output file must take appends before the participant sees anything: a run
// whose data cannot be kept is not started. Nothing is created here.
bool ExperimentRun::outputWritable()
{
    if (const auto reason = canAppendTo(subject_.dataPath))
        return stop(unwritableDataFileMessage, *reason);
    if (const auto reason = canAppendTo(subject_.subjectLogPath))
        return stop(unwritableSubjectLogMessage, *reason);
    if (const auto reason = canAppendTo(subject_.timingPath))
        return stop(unwritableTimingRecordMessage, *reason);
    return true;
}

// The output files are not the study's own files, and there is room for the whole
// run on their disks.
bool ExperimentRun::outputUsable() { return goesOn(outputRefusal(subject_, study_)); }

bool ExperimentRun::definitionUsable() { return goesOn(loadDefinition(study_, subject_.inputPath)); }

// A missing file, a file the reader had to cut or clamp, and a word list category
// without items stop the run.
bool ExperimentRun::loadLists()
{
    if (!goesOn(loadStudyLists(study_)))
        return false;
    for (int s = 0; s < study_.sessionCount; ++s)
        for (int p = 0; p < 2; ++p) {
            sessionLists_[s][p].countA = study_.listOf(s, p).entryCountA;
            sessionLists_[s][p].countB = study_.listOf(s, p).entryCountB;
        }
    return sessionsHaveItems(false);
}

// The pages are read one at a time, each shown as soon as it is read.
bool ExperimentRun::showInstructionPages()
{
    if (!goesOn(instructionFileRefusal(study_)))
        return false;
    InstructionFileRun file = InstructionFileRun::open(study_.instructionFilePath());
    std::string page;
    while (file.nextPage(page))
        screens_.pages().showPage(page);
    return true;
}

// Each questionnaire file, in catalogue order, fills every session pair that names
// it. The runner has shown its own warning when a questionnaire cannot be used.
bool ExperimentRun::runQuestionnaires()
{
    for (auto& uses : firstUse_)
        uses = {true, true};

    QuestionnaireRunner runner(screens_.questions(), screens_.pages(), screens_.review());
    QuestionnaireResult result;
    for (int i = 0; i < study_.catalog.fileCount; ++i) {
        const WordList& file = study_.catalog.files[i];
        if (!file.isQuestionnaire)
            continue;
        runner.runFile(joinPath(study_.inputDirectory, file.fileName.str()), result);
        if (!result.usable)
            return stop(unusableQuestionnaireMessage, file.fileName.str(), false);
        for (int s = 0; s < study_.sessionCount; ++s) {
            for (int p = 0; p < 2; ++p) {
                if (study_.listIndex[s][p] != i)
                    continue;
                sessionLists_[s][p] = {result.entries1, result.entries2, result.entryCount1, result.entryCount2};
                firstUse_[s][p] = false;
            }
        }
    }
    return sessionsHaveItems(true);
}

// A pair is at its first use unless an earlier session named the same file.
void ExperimentRun::markFirstUses()
{
    for (int s = 1; s < study_.sessionCount; ++s)
        for (int p = 0; p < 2; ++p)
            for (int earlier = 0; earlier < s; ++earlier)
                if (study_.listIndex[s][p] == study_.listIndex[earlier][0] ||
                    study_.listIndex[s][p] == study_.listIndex[earlier][1])
                    firstUse_[s][p] = false;
}

void ExperimentRun::introduce()
{
    if (study_.definition.tutorialIncluded == 1)
        runTutorial(screens_.pages(), screens_.tutorial(), static_cast<unsigned>(std::max(0, session(0).Delay)));
    else if (study_.definition.tutorialIncluded == 0)
        screens_.pages().showPage(keysPage);
}

// The offer counts every category, questionnaire pairs included; the review itself
// is called for every first use of a word list, and decides from the flag and the
// counts whether the participant sees it.
void ExperimentRun::reviewLists()
{
    bool longList = false;
    for (int s = 0; s < study_.sessionCount; ++s)
        for (const PairLists& pair : sessionLists_[s])
            longList = longList || pair.countA > reviewWordFloor || pair.countB > reviewWordFloor;
    if (study_.definition.editListsIncluded == 1 && longList)
        screens_.pages().showPage(reviewOfferPage);

    for (int s = 0; s < study_.sessionCount; ++s) {
        for (int p = 0; p < 2; ++p) {
            if (!firstUse_[s][p])
                continue;
            WordList& file = study_.catalog.files[study_.listIndex[s][p]];
            PairLists& pair = sessionLists_[s][p];
            // The counts of what the file's lists hold now: the same as loaded, unless
            // the same file was reviewed already for the session's other pair, whose
            // deletions the lists then carry.
            const auto held = [](const Entries& entries) {
                return 1 + static_cast<int>(std::count_if(entries.begin() + 1, entries.end(),
                                                          [](const Entry& e) { return !e.empty(); }));
            };
            // The catalogue index is the wording: the first file of the catalogue
            // asks for misspelled words, every other one for unfamiliar words.
            const ReviewCounts counts = reviewWordLists(screens_.review(), file.entriesA, pair.a, file.entriesB, pair.b,
                                                        study_.listIndex[s][p], held(file.entriesA),
                                                        held(file.entriesB), study_.definition.editListsIncluded);
            pair.countA = counts.countA;
            pair.countB = counts.countB;
        }
    }
}

// A list as reviewed at its first use is the list of every later session that
// names the same file.
void ExperimentRun::propagateLists()
{
    for (int s = 0; s < study_.sessionCount; ++s)
        for (int p = 0; p < 2; ++p)
            for (int t = s + 1; t < study_.sessionCount; ++t)
                for (int q = 0; q < 2; ++q)
                    if (study_.listIndex[t][q] == study_.listIndex[s][p])
                        sessionLists_[t][q] = sessionLists_[s][p];
}

bool ExperimentRun::sessionsHaveItems(bool questionnairesFilled)
{
    CategoryCounts counts{};
    for (int s = 0; s < study_.sessionCount; ++s)
        for (int p = 0; p < 2; ++p)
            counts[s][p] = {sessionLists_[s][p].countA, sessionLists_[s][p].countB};
    return goesOn(shortageRefusal(itemShortages(study_, counts, questionnairesFilled)));
}

void ExperimentRun::runSession(int s)
{
    const SessionSettings& settings = session(s);
    // Category of each pair on the left key (0 the file's first category) and on the right.
    SessionSequenceInput sequenceInput{settings.Cat1p, settings.Cat2p, settings.Catsw, s == 0, {}, finishedLeft_};
    for (int p = 0; s > 0 && p < 2; ++p)
        sequenceInput.sameListAsPrevious[p] = study_.listIndex[s][p] == study_.listIndex[s - 1][p];
    const SessionSequence sequence = sessionSequence(sequenceInput);

    ItemTable items;
    for (int p = 0; p < 2; ++p) {
        items[p][0] = sessionLists_[s][p].a;
        items[p][1] = sessionLists_[s][p].b;
    }
    const int usable = std::min({maxEntries, sessionLists_[s][0].countA, sessionLists_[s][0].countB,
                                 sessionLists_[s][1].countA, sessionLists_[s][1].countB});

    bool newCategory = false;
    if (s > 0) {
        const auto& previous = study_.listIndex[s - 1];
        for (int index : study_.listIndex[s])
            newCategory = newCategory || (index != previous[0] && index != previous[1]);
        if (newCategory)
            screens_.pages().showPage(newCategoryPage);
    }

    for (int half = 0; half < 2 && !ended_; ++half) {
        const std::array<int, 2>& left = sequence.left[half];
        const NextBlockLabels labels{items[0][left[0]][0].str(), items[0][1 - left[0]][0].str(),
                                     items[1][left[1]][0].str(), items[1][1 - left[1]][0].str()};
        for (int block = 0; block < blocksPerHalf && !ended_; ++block) {
            BlockSettings blockSettings;
            blockSettings.trials = std::clamp(block == recordedBlock ? settings.nReal : settings.nPrac, 0,
                                              maxTrialsPerBlock);
            for (int t = 0; t < blockSettings.trials; ++t)
                results_[t] = unrunTrial();
            blockSettings.type = block == 0   ? BlockType::PairOneBlock
                                 : block == 1 ? BlockType::PairTwoBlock
                                              : BlockType::CombinedBlock;
            blockSettings.items = items;
            blockSettings.usableItemCount = usable;
            blockSettings.leftCategory = left;
            blockSettings.delay = static_cast<unsigned>(std::max(0, settings.Delay));
            blockSettings.instruction = blockInstruction;
            blockSettings.labels = {labels.pairOneLeft, labels.pairOneRight, labels.pairTwoLeft, labels.pairTwoRight};
            if (block == 0)
                blockSettings.labels[2] = blockSettings.labels[3] = "";
            if (block == 1)
                blockSettings.labels[0] = blockSettings.labels[1] = "";

            // The page stands even when block 0 itself is then skipped.
            if (block == 0 && !newCategory)
                screens_.pages().showPage(half == 0 ? firstHalfPage : switchPage);
            if (block == recordedBlock)
                screens_.pages().showPage(recordedBlockPage);

            if (!sequence.runs[half][block])
                continue;
            runBlock(s, half, block, blockSettings, labels);
        }

        newCategory = false;
    }
    finishedLeft_ = sequence.finishedLeft;
}

// Every ending of a block (completed, OK, skip key) gets its data lines (unreached
// slots with their markers), its feedback and, for the recorded block, its score.
// The lines are on disk before the feedback is shown: a run ended during the
// feedback keeps the block. Lines that no file takes stop the run at once: the
// participant is asked to call the experimenter instead of going on.
void ExperimentRun::runBlock(int s, int half, int block, const BlockSettings& settings, const NextBlockLabels& labels)
{
    screens_.blockHalf(half);
    screens_.showNextBlock(nextBlockTexts(static_cast<BlockInHalf>(block), labels));
    const BlockRun run = screens_.runBlock(settings, results_);

    ++blockNumber_;
    outcome_.blocksRun = blockNumber_;
    const std::string what = "block " + std::to_string(blockNumber_);
    const bool written = data_->append(what, formatDataLines(subject_, s + 1, session(s), blockNumber_, results_,
                                                             settings.trials));
    const bool timed = timing_->append(what, {formatTimingLine(subject_, s + 1, blockNumber_, run.timing)});
    screens_.blockRecorded(blockNumber_, written && timed);
    if (block == recordedBlock)
        scores_.scoreBlock(s + 1, half + 1, results_, settings.trials, run.trialsAnswered, settings.labels);
    if (!outputKept()) {
        ended_ = true;
        return;
    }
    screens_.showBlockFeedback(blockTimeText(run.totals.totalLatency), percentText(run.totals.percentCorrect));
}

// The screen comes back, empty, until one of the two codes is typed exactly.
std::string ExperimentRun::askExitCode()
{
    for (;;) {
        const std::optional<std::string> code = screens_.askExitCode();
        if (code && (*code == endCode || *code == reportCode))
            return *code;
    }
}

// While lines are held that no file takes, the run does not go on: the experimenter
// makes room and tries again, or ends the run. False when the run is to end.
bool ExperimentRun::outputKept()
{
    while (holding()) {
        if (screens_.askOutputTrouble(outputTroubleText(std::as_const(*this).outputs())) == OutputTrouble::EndRun)
            return false;
        for (RunOutput* output : outputs())
            output->write();
    }
    return true;
}

const RunOutput* ExperimentRun::firstHolding() const
{
    for (const RunOutput* output : outputs())
        if (output->holding())
            return output;
    return nullptr;
}

bool ExperimentRun::holding() const
{
    const std::vector<const RunOutput*> all = outputs();
    return std::any_of(all.begin(), all.end(), [](const RunOutput* output) { return output->holding(); });
}

// What no file took is saved where the experimenter chooses, asked again until it is
// saved or the experimenter gives it up at a second question.
void ExperimentRun::saveHeldLines()
{
    std::string refusal;
    while (holding()) {
        // The proposed name is the data file's with "-unsaved", ending as the first
        // output that holds lines does.
        const RunOutput& first = *firstHolding();
        const std::string stem = fileNameOf(data_->path());
        const std::string ending = &first == &*data_ ? ".dat" : &first == &*subjectLog_ ? ".slg" : ".timing.tsv";
        const std::string proposed = stem.substr(0, stem.size() >= 4 ? stem.size() - 4 : 0) + "-unsaved" + ending;
        const std::optional<std::string> path =
            screens_.askHeldLinesFile(heldLinesText(std::as_const(*this).outputs()) + refusal, proposed);
        if (path) {
            refusal = saveHeldLinesIn(*path);
            continue;
        }
        if (!screens_.confirmHeldLinesLost("The lines held in memory have not been saved. If you give them up, they "
                                           "are lost.\n\nGive them up?"))
            continue;
        for (RunOutput* output : outputs())
            for (const HeldAppend& append : output->release())
                outcome_.lostOutput.push_back(output->what() + (append.what.empty() ? "" : ", " + append.what) + " (" +
                                              std::to_string(append.lines.size()) +
                                              (append.lines.size() == 1 ? " line)" : " lines)"));
        return;
    }
}

// Saves the held lines of the first output that holds any in path, and those of the
// others beside it, named from path as the subject log and the timing record are from
// the data file, under each file's header when it is new. Returns why a file refused,
// or nothing when all is saved.
std::string ExperimentRun::saveHeldLinesIn(const std::string& path)
{
    const RunOutput* first = firstHolding();
    if (first == &*data_ && !hasDataFileExtension(path))
        return "\n\nNot saved: the data file's lines need a file whose name ends in .dat.";
    for (RunOutput* output : outputs()) {
        if (!output->holding())
            continue;
        const std::string target = output == first           ? path
                                   : output == &*subjectLog_ ? subjectLogPathFor(path)
                                                             : timingRecordPathFor(path);
        std::optional<std::string> reason = lineBreakInPath(target);
        if (!reason)
            reason = canAppendTo(target);
        if (!reason)
            if (const auto own = studyFileAt(target, study_))
                reason = "cannot write " + target + ": it is the study's own file " + *own;
        std::vector<std::string> lines;
        for (const HeldAppend& append : output->held())
            lines.insert(lines.end(), append.lines.begin(), append.lines.end());
        if (!reason)
            if (const WriteOutcome written = appendLines(target, output->header(), lines); !written)
                reason = written.error;
        if (reason)
            return "\n\nNot saved: " + *reason;
        output->release();
        outcome_.savedFiles.push_back(target);
    }
    return {};
}

}  // namespace

std::string writeFailureText(const RunOutcome& outcome)
{
    std::string text = "Some of this run's output could not be written to its file:\n" +
                       joinLines(outcome.writeFailures);
    if (!outcome.rescueFiles.empty())
        text += "\n\nThose lines, and every later line of the run for the same file, are kept whole and in order "
                "in:\n" +
                joinLines(outcome.rescueFiles) +
                "\nTo complete an output file, append its rescue file to it without the rescue file's first line "
                "(the header).";
    if (!outcome.savedFiles.empty())
        text += "\n\nThe lines that no file took when the run ended are saved in:\n" + joinLines(outcome.savedFiles) +
                "\nTo complete an output file, append them to it, after its rescue file if it has one, without "
                "their first line (the header).";
    if (!outcome.lostOutput.empty())
        text += "\n\nThese lines were given up and are lost:\n" + joinLines(outcome.lostOutput);
    if (outcome.rescueFiles.empty() && outcome.savedFiles.empty() && outcome.lostOutput.empty())
        text += "\n\nThose lines were written to their file later, in order, once it took them again: nothing is "
                "missing.";
    return text;
}

RunOutcome RunDriver::runExperiment(const LocalDateTime& start)
{
    RunOutcome outcome;
    // The run's state holds the catalogue and every session's lists: kept off the stack.
    auto run = std::make_unique<ExperimentRun>(screens_, outcome);
    run->execute(start);
    return outcome;
}
