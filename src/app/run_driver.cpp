#include "app/run_driver.h"

#include <algorithm>
#include <array>
#include <memory>

#include "app/output_files.h"
#include "common/file_existence.h"
#include "common/file_io.h"
#include "files/list_catalogue.h"
#include "instructions/instruction_pages.h"
#include "questionnaire/questionnaire_runner.h"

namespace {

// --- the run's own texts ---

constexpr const char* missingFileMessage =
    "Error:  Program cannot continue because a file specified in the input file has not been found.  Please check "
    "that the following file directory and file name are correct: ";
constexpr const char* unusableInputMessage =
    "Error:  Program cannot continue because the input file or a file it names cannot be used:";
constexpr const char* unwritableDataFileMessage =
    "Error:  Program cannot continue because the data file cannot be written:";
constexpr const char* unwritableSubjectLogMessage =
    "Error:  Program cannot continue because the subject log cannot be written:";
constexpr const char* writeFailureMessage =
    "Some of this run's output could not be written and is missing from its file:";

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

// The skip value that names no block.
constexpr int noBlock = 9;
constexpr int blocksPerHalf = 4;
constexpr int recordedBlock = 3;

// One category pair as a session uses it: entries 0 the labels, the counts with them.
struct PairLists {
    Entries a;
    Entries b;
    int countA = 0;
    int countB = 0;
};

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty())
            text += '\n';
        text += line;
    }
    return text;
}

// The state of one run, discarded at its end.
class ExperimentRun {
public:
    ExperimentRun(RunScreens& screens, RunOutcome& outcome) : screens_(screens), outcome_(outcome) {}

    void execute(const LocalDateTime& start);

private:
    bool stop(std::string_view message, std::string_view detail, bool show = true);

    bool outputWritable();
    bool definitionUsable();
    bool loadLists();
    bool showInstructionPages();
    bool runQuestionnaires();
    void markFirstUses();
    void introduce();
    void reviewLists();
    void propagateLists();
    std::vector<std::string> itemShortages(bool questionnairesFilled) const;
    bool sessionsHaveItems(bool questionnairesFilled);

    void runSession(int s);
    void runBlock(int s, int half, int block, const BlockSettings& settings, const NextBlockLabels& labels);
    std::string askExitCode();
    void record(const WriteOutcome& written, const std::string& what);

    const SessionSettings& session(int s) const { return definition_.sessions[s]; }
    const WordList& listOf(int s, int p) const { return catalog_.files[listIndex_[s][p]]; }

    RunScreens& screens_;
    RunOutcome& outcome_;

    SubjectRecord subject_;
    ExperimentDefinition definition_;
    int sessionCount_ = 0;
    ListCatalog catalog_;
    std::array<std::array<int, 2>, maxSessions> listIndex_{};
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
    definition_ = readInputFile(subject_.inputPath);
    if (!definitionUsable() || !loadLists() || !showInstructionPages() || !runQuestionnaires())
        return;
    markFirstUses();
    introduce();
    reviewLists();
    propagateLists();
    if (!sessionsHaveItems(true))
        return;
    screens_.pages().showPage(readyPage);

    record(openDataFile(subject_.dataPath), "data file");
    for (int s = 0; s < sessionCount_; ++s)
        runSession(s);
    screens_.pages().showPage(completedPage);

    const std::string code = askExitCode();
    scores_.finish(sessionCount_);
    record(writeSubjectLog(subject_.subjectLogPath, subject_, definition_, scores_), "subject log");
    if (!outcome_.writeFailures.empty())
        screens_.showWriteFailure(std::string(writeFailureMessage) + "\n" + joinLines(outcome_.writeFailures));
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

// Both output files must take appends before the participant sees anything: a run
// whose data cannot be kept is not started. Nothing is created here.
bool ExperimentRun::outputWritable()
{
    if (const auto reason = canAppendTo(subject_.dataPath))
        return stop(unwritableDataFileMessage, *reason);
    if (const auto reason = canAppendTo(subject_.subjectLogPath))
        return stop(unwritableSubjectLogMessage, *reason);
    return true;
}

bool ExperimentRun::definitionUsable()
{
    if (!definition_.problems.empty())
        return stop(unusableInputMessage, joinLines(definition_.problems));
    // The reader keeps the count within what the model holds; a count outside 1 to 9
    // is a problem and has been refused above.
    sessionCount_ = std::clamp(definition_.sessionCount, 1, maxSessions);
    return true;
}

// Loads the distinct list files of the sessions and maps every session pair to its
// file. A missing file stops the run with its path; a file the reader had to cut or
// clamp, and a word list category without items, stop it with the problems.
bool ExperimentRun::loadLists()
{
    for (int s = 0; s < sessionCount_; ++s) {
        catalog_.requestedNames[2 * s] = session(s).Cat1;
        catalog_.requestedNames[2 * s + 1] = session(s).Cat2;
    }
    catalog_.loadForExperiment(sessionCount_, subject_.inputDirectory);
    if (catalog_.errorCode == errorMissingFile)
        return stop(missingFileMessage, catalog_.missingPath);

    for (int s = 0; s < sessionCount_; ++s) {
        listIndex_[s] = {catalog_.indexOf(session(s).Cat1.view()), catalog_.indexOf(session(s).Cat2.view())};
        for (int p = 0; p < 2; ++p) {
            sessionLists_[s][p].countA = listOf(s, p).entryCountA;
            sessionLists_[s][p].countB = listOf(s, p).entryCountB;
        }
    }

    Problems problems;
    for (int i = 0; i < catalog_.fileCount; ++i)
        problems.insert(problems.end(), catalog_.files[i].problems.begin(), catalog_.files[i].problems.end());
    if (!problems.empty())
        return stop(unusableInputMessage, joinLines(problems));
    return sessionsHaveItems(false);
}

// The pages are read one at a time, each shown as soon as it is read.
bool ExperimentRun::showInstructionPages()
{
    const std::string path = joinPath(subject_.inputDirectory, definition_.instructionFileName.str());
    if (!fileExists(path))
        return stop(missingFileMessage, path);
    InstructionFileRun file = InstructionFileRun::open(path);
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
    for (int i = 0; i < catalog_.fileCount; ++i) {
        const WordList& file = catalog_.files[i];
        if (!file.isQuestionnaire)
            continue;
        runner.runFile(joinPath(subject_.inputDirectory, file.fileName.str()), result);
        if (!result.usable)
            return stop(unusableQuestionnaireMessage, file.fileName.str(), false);
        for (int s = 0; s < sessionCount_; ++s) {
            for (int p = 0; p < 2; ++p) {
                if (listIndex_[s][p] != i)
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
    for (int s = 1; s < sessionCount_; ++s)
        for (int p = 0; p < 2; ++p)
            for (int earlier = 0; earlier < s; ++earlier)
                if (listIndex_[s][p] == listIndex_[earlier][0] || listIndex_[s][p] == listIndex_[earlier][1])
                    firstUse_[s][p] = false;
}

void ExperimentRun::introduce()
{
    if (definition_.tutorialIncluded == 1)
        runTutorial(screens_.pages(), screens_.tutorial(), static_cast<unsigned>(std::max(0, session(0).Delay)));
    else if (definition_.tutorialIncluded == 0)
        screens_.pages().showPage(keysPage);
}

// The offer counts every category, questionnaire pairs included; the review itself
// is called for every first use of a word list, and decides from the flag and the
// counts whether the participant sees it.
void ExperimentRun::reviewLists()
{
    bool longList = false;
    for (int s = 0; s < sessionCount_; ++s)
        for (const PairLists& pair : sessionLists_[s])
            longList = longList || pair.countA > reviewWordFloor || pair.countB > reviewWordFloor;
    if (definition_.editListsIncluded == 1 && longList)
        screens_.pages().showPage(reviewOfferPage);

    for (int s = 0; s < sessionCount_; ++s) {
        for (int p = 0; p < 2; ++p) {
            if (!firstUse_[s][p])
                continue;
            WordList& file = catalog_.files[listIndex_[s][p]];
            PairLists& pair = sessionLists_[s][p];
            // The counts of what the file's lists hold now: the same as loaded, unless
            // the same file was reviewed already for the session's other pair, whose
            // deletions the lists then carry.
            const auto held = [](const Entries& entries) {
                return 1 + static_cast<int>(std::count_if(entries.begin() + 1, entries.end(),
                                                          [](const Entry& e) { return !e.empty(); }));
            };
            const ReviewCounts counts =
                reviewWordLists(screens_.review(), file.entriesA, pair.a, file.entriesB, pair.b, wordingUnfamiliar,
                                held(file.entriesA), held(file.entriesB), definition_.editListsIncluded);
            pair.countA = counts.countA;
            pair.countB = counts.countB;
        }
    }
}

// A list as reviewed at its first use is the list of every later session that
// names the same file.
void ExperimentRun::propagateLists()
{
    for (int s = 0; s < sessionCount_; ++s)
        for (int p = 0; p < 2; ++p)
            for (int t = s + 1; t < sessionCount_; ++t)
                for (int q = 0; q < 2; ++q)
                    if (listIndex_[t][q] == listIndex_[s][p])
                        sessionLists_[t][q] = sessionLists_[s][p];
}

// Every category of a session must hold an item: a block draws from items 1 to the
// smallest entry count less one. Questionnaire pairs hold labels only until the
// questionnaires have run.
std::vector<std::string> ExperimentRun::itemShortages(bool questionnairesFilled) const
{
    std::vector<std::string> shortages;
    for (int s = 0; s < sessionCount_; ++s) {
        for (int p = 0; p < 2; ++p) {
            const WordList& file = listOf(s, p);
            if (file.isQuestionnaire && !questionnairesFilled)
                continue;
            const int counts[2] = {sessionLists_[s][p].countA, sessionLists_[s][p].countB};
            const Entry* labels[2] = {&file.entriesA[0], &file.entriesB[0]};
            for (int c = 0; c < 2; ++c) {
                if (counts[c] < 2)
                    shortages.push_back("session " + std::to_string(s + 1) + ": category \"" + labels[c]->str() +
                                        "\" of " + file.fileName.str() + " has no items");
            }
        }
    }
    return shortages;
}

bool ExperimentRun::sessionsHaveItems(bool questionnairesFilled)
{
    const std::vector<std::string> shortages = itemShortages(questionnairesFilled);
    if (!shortages.empty())
        return stop(unusableInputMessage, joinLines(shortages));
    return true;
}

void ExperimentRun::runSession(int s)
{
    const SessionSettings& settings = session(s);
    // Category of each pair on the left key (0 the file's first category) and on the right.
    std::array<int, 2> left{std::clamp(settings.Cat1p, 0, 1), std::clamp(settings.Cat2p, 0, 1)};
    int skip = noBlock;

    ItemTable items{};
    for (int p = 0; p < 2; ++p) {
        items[p][0] = sessionLists_[s][p].a;
        items[p][1] = sessionLists_[s][p].b;
    }
    const int usable = std::min({maxEntries, sessionLists_[s][0].countA, sessionLists_[s][0].countB,
                                 sessionLists_[s][1].countA, sessionLists_[s][1].countB});

    bool newCategory = false;
    if (s > 0) {
        const auto& previous = listIndex_[s - 1];
        for (int index : listIndex_[s])
            newCategory = newCategory || (index != previous[0] && index != previous[1]);
        if (newCategory)
            screens_.pages().showPage(newCategoryPage);
    }

    for (int half = 0; half < 2; ++half) {
        const NextBlockLabels labels{items[0][left[0]][0].str(), items[0][1 - left[0]][0].str(),
                                     items[1][left[1]][0].str(), items[1][1 - left[1]][0].str()};
        for (int block = 0; block < blocksPerHalf; ++block) {
            BlockSettings blockSettings;
            blockSettings.trials = std::clamp(block == recordedBlock ? settings.nReal : settings.nPrac, 0,
                                              maxTrialsPerBlock);
            for (int t = 0; t < blockSettings.trials; ++t) {
                TrialResult& slot = results_[t];
                slot = {99, 9, 9, 99, {}, 99999, 99, "9"};
                slot.word.assign("blank");
            }
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

            // A single-pair practice block is left out when the session goes on with
            // the previous session's list in the arrangement last practised.
            if (s > 0 && block < 2 && listIndex_[s][block] == listIndex_[s - 1][block] &&
                left[block] == finishedLeft_[block])
                skip = block;
            if (skip == block)
                continue;
            runBlock(s, half, block, blockSettings, labels);
        }

        newCategory = false;
        finishedLeft_ = left;
        if (settings.Catsw == 0) {
            left[0] = 1 - left[0];
            skip = 1;
        } else if (settings.Catsw == 1) {
            left[1] = 1 - left[1];
            skip = 0;
        }
    }
}

// Every ending of a block (completed, OK, skip key) gets its feedback, its data lines
// (unreached slots with their markers) and, for the recorded block, its score.
void ExperimentRun::runBlock(int s, int half, int block, const BlockSettings& settings,
                             const NextBlockLabels& labels)
{
    screens_.showNextBlock(nextBlockTexts(static_cast<BlockInHalf>(block), labels));
    const BlockRun run = screens_.runBlock(settings, results_);
    screens_.showBlockFeedback(blockTimeText(run.totals.totalLatency), percentText(run.totals.percentCorrect));

    ++blockNumber_;
    outcome_.blocksRun = blockNumber_;
    record(writeDataLines(subject_.dataPath, subject_, s + 1, session(s), blockNumber_, results_, settings.trials),
           "data file, block " + std::to_string(blockNumber_));
    if (block == recordedBlock)
        scores_.scoreBlock(s + 1, half + 1, results_, settings.trials, run.trialsAnswered, settings.labels);
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

// A failed write never stops the run: the lines of later blocks may still reach
// the file, and the experimenter is told at the end.
void ExperimentRun::record(const WriteOutcome& written, const std::string& what)
{
    if (!written)
        outcome_.writeFailures.push_back(what + ": " + written.error);
}

}  // namespace

RunOutcome RunDriver::runExperiment(const LocalDateTime& start)
{
    RunOutcome outcome;
    // The run's state holds the catalogue and every session's lists: kept off the stack.
    auto run = std::make_unique<ExperimentRun>(screens_, outcome);
    run->execute(start);
    return outcome;
}
