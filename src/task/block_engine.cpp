#include "task/block_engine.h"

#include <algorithm>

const char* const tutorialMessages[8] = {
    "The words to the left and right of the screen are the category labels.  The word to be categorized, in this "
    "case, \"cobra\" is between the category labels.  Make a response now by pressing a left or right green key "
    "('a' or '5').",
    "The left green key selects the category on the left, and the right green key selects the category on the "
    "right. Go ahead and make another response now.",
    "If your response was correct, you will see a green \"O\", and if your response was incorrect, you will see a "
    "red \"X\".  Make another response now.",
    "Note that the next word will not appear until you make the correct response.  If you make an error, select "
    "the other option as quickly as possible.  Make another response now.",
    "Your task is to respond to each word as soon as it appears.  You will be timed beginning with your first "
    "response in the block, and ending with your last response.  Make a response now.",
    "Go ahead and practice doing the categorization task as quickly as possible for a minute or two now.",
    "",
    "As you can see, there are two category labels to the left and to the right of the screen.  Make a response "
    "now, and look for additional instructions in this location.",
};

const char* const tutorialCombinedMessages[2] = {
    "If the word to be judged belongs to either of the categories on the left, press the left green key, and if "
    "the word belongs to either of the categories on the right, press the right green key.",
    "Go ahead and practice doing the categorization task as quickly as possible for a minute or two now.",
};

namespace {

constexpr const char* tutorialFirstWords[2] = {"cobra", "cherry"};

Entries makeEntries(std::initializer_list<const char*> words)
{
    Entries entries;
    std::size_t i = 0;
    for (const char* w : words)
        entries[i++].assign(w);
    return entries;
}

}  // namespace

const ItemTable& tutorialItemTable()
{
    static const ItemTable table{{
        {makeEntries({"snake", "boa", "python", "rattler", "cobra", "viper"}),
         makeEntries({"bird", "robin", "parrot", "pigeon", "crow", "sparrow"})},
        {makeEntries({"red", "strawberry", "cherry", "tomato", "blood", "heart"}),
         makeEntries({"white", "snow", "cauliflower", "tooth", "bone", "milk"})},
    }};
    return table;
}

BlockTotals computeTotals(const TrialResults& results, int trials)
{
    const int n = std::clamp(trials, 0, maxTrialsPerBlock);
    BlockTotals totals;
    if (n == 1) {
        totals.percentCorrect = 100;  // nothing is counted: no trial went wrong
        return totals;
    }
    double wrong = 0;
    for (int t = 1; t < n; ++t) {
        totals.totalLatency += results[t].latency;
        wrong += results[t].wrongResponses;
    }
    totals.percentCorrect = ((n - 1) - wrong) / (n - 1) * 100.0;
    return totals;
}

ScreenRect confinementRect(const ScreenRect& frame, int h)
{
    return {frame.left + h / 4, frame.top, frame.right - h / 4, frame.bottom - h / 2};
}

int roundToMilliseconds(std::int64_t us)
{
    return static_cast<int>(us >= 0 ? (us + 500) / 1000 : -((-us + 500) / 1000));
}

BlockEngine::BlockEngine(TaskView& view, Clock& clock, Pointer& pointer, RandomGenerator& random,
                         CalendarTime& calendar)
    : view_(view), clock_(clock), pointer_(pointer), random_(random), calendar_(calendar)
{
}

void BlockEngine::open(const BlockSettings& settings, TrialResults* results)
{
    settings_ = settings;
    settings_.trials = std::clamp(settings_.trials, 0, maxTrialsPerBlock);
    results_ = isTutorial(settings_.type) ? nullptr : results;
    totals_ = {};
    armed_ = false;
    timing_ = {};
    timing_.source = view_.onsetSource();

    // The pointer is confined to the window's frame, narrowed by the START button's
    // height, and then goes home to the bottom-right corner of the window's monitor
    // (where the confinement holds it: at the rectangle's corner). Confined first, it
    // is never moved outside the window: XWayland takes such a move as the real
    // pointer's position, outside the window its confinement then waits for.
    const WindowGeometry geometry = view_.windowGeometry();
    home_ = {geometry.screen.right - 1, geometry.screen.bottom - 1};
    savedConfinement_ = pointer_.confinement();
    pointer_.setConfinementWindow(geometry.window);
    pointer_.setConfinement(confinementRect(geometry.frame, geometry.startButtonHeight));
    pointer_.setPosition(home_);

    started_ = false;
    presented_ = 0;
    awaitingCorrection_ = false;
    wrongCount_ = 0;

    view_.clearAreas();
    view_.showInstruction(settings_.instruction);
    state_ = State::WaitingForStart;
}

void BlockEngine::key(TaskCommand command, std::optional<std::uint32_t> stamp)
{
    if (command != TaskCommand::SkipBlock)
        armed_ = true;
    switch (command) {
    case TaskCommand::LeftResponse:
        respond(true, stamp);
        break;
    case TaskCommand::RightResponse:
        respond(false, stamp);
        break;
    case TaskCommand::StartBlock:
        start();
        break;
    case TaskCommand::SkipBlock:
        close(BlockEnd::Skipped);
        break;
    }
}

void BlockEngine::start()
{
    if (state_ != State::WaitingForStart || !armed_ || started_)
        return;
    view_.drawLabels(settings_.labels);
    plan_ = buildTrialPlan(settings_.type, settings_.usableItemCount, settings_.leftCategory, settings_.trials, phase_,
                           random_, calendar_);
    if (timing_.source != OnsetSource::AfterDrawing) {
        std::vector<PlannedWord> words;
        words.reserve(static_cast<std::size_t>(settings_.trials));
        for (int i = 0; i < settings_.trials; ++i)
            words.push_back(plannedWord(i));
        view_.prepareWords(words);
    }
    present(clock_.nowMicroseconds());
    started_ = true;
}

PlannedWord BlockEngine::plannedWord(int i) const
{
    const int pair = plan_.pair[i];
    const int category = plan_.category[i];
    PlannedWord planned{std::string(settings_.items[pair][category][plan_.item[i]].view()),
                        pair == 0 ? TextColour::Pair1 : TextColour::Pair2};
    if (settings_.type == BlockType::TutorialPairBlock) {
        planned.colour = TextColour::Pair2;
        if (i == 0)
            planned.text = tutorialFirstWords[0];
    } else if (settings_.type == BlockType::TutorialCombinedBlock) {
        // Tutorial pair A has its labels in the lower row, pair B in the upper.
        planned.colour = pair == 0 ? TextColour::Pair2 : TextColour::Pair1;
        if (i == 0) {
            planned.text = tutorialFirstWords[1];
            planned.colour = TextColour::Pair1;
        }
    }
    return planned;
}

void BlockEngine::present(std::int64_t due)
{
    if (awaitingCorrection_)
        return;
    armed_ = false;
    const int i = presented_;
    const bool tutorial = isTutorial(settings_.type);
    if (tutorial)
        showTutorialMessageAtPresentation(i);
    else
        view_.showInstruction("");

    if (i == settings_.trials) {
        if (results_)
            totals_ = computeTotals(*results_, settings_.trials);
        close(BlockEnd::Completed);
        view_.drawWord("", TextColour::Pair1);
        return;
    }

    const int pair = plan_.pair[i];
    const int category = plan_.category[i];
    // The first word of a tutorial part counts as category 0, which is on the left.
    correctLeft_ = tutorial ? i == 0 || category == 0 : category == settings_.leftCategory[pair];
    const PlannedWord word = plannedWord(i);
    if (!tutorial && results_) {
        TrialResult& r = (*results_)[i];
        r.trialNumber = i + 1;
        r.pair = pair;
        r.category = category;
        r.item = plan_.item[i];
        r.word.assign(word.text);
    }

    if (timing_.source == OnsetSource::AfterDrawing) {
        view_.drawWord(word.text, word.colour);
        onset_ = clock_.nowMicroseconds();
    } else {
        // At the first refresh at or after the moment the word is due that the picture
        // can still reach; before the display's refreshes are known, at its next one.
        const RefreshClock* refreshes = view_.refreshClock();
        const std::int64_t sent = clock_.nowMicroseconds();
        const std::int64_t lead = std::max(lead_, view_.presentationLead());
        const Refresh target = refreshes != nullptr && refreshes->known()
                                   ? refreshes->firstAtOrAfter(std::max(due, sent + lead))
                                   : Refresh{0, due};
        const Presentation shown = view_.presentWord(i, target);
        onset_ = shown.onset;
        if (shown.missed)
            ++timing_.framesMissed;
        // Shown one refresh late though sent ahead of its refresh: this display needs
        // the picture earlier than that (a virtual display's counter may turn half a
        // refresh early), and later words are aimed at refreshes they can reach.
        if (shown.missed && target.count != 0 && shown.refresh == target.count + 1 && refreshes != nullptr)
            lead_ = std::min(std::max(lead, target.time - sent + presentationLeadMicroseconds),
                             std::max(lead, static_cast<std::int64_t>(refreshes->intervalMicroseconds())));
        timing_.mostLate = std::max(timing_.mostLate, shown.late);
        if (refreshes != nullptr)
            timing_.refreshMicroseconds = refreshes->intervalMicroseconds();
    }
    ++timing_.wordsShown;
    ++presented_;
    awaitingCorrection_ = false;
    state_ = State::WordShown;
}

void BlockEngine::showTutorialMessageAtPresentation(int i)
{
    if (settings_.type == BlockType::TutorialPairBlock) {
        if (i == 0) {
            view_.showInstruction(tutorialMessages[0]);
            return;
        }
        view_.showInstruction("");
        if (i >= 1 && i <= 6)
            view_.showInstruction(tutorialMessages[i]);
    } else {
        // The second part empties the instruction at every response; its messages
        // stand from a word's appearance to the next response.
        if (i == 0)
            view_.showInstruction(tutorialMessages[7]);
        else if (i == 1 || i == 2)
            view_.showInstruction(tutorialCombinedMessages[i - 1]);
    }
}

void BlockEngine::respond(bool left, std::optional<std::uint32_t> stamp)
{
    if (!started_ || !armed_ || (state_ != State::WordShown && state_ != State::Correcting))
        return;
    const bool correct = left == correctLeft_;
    if (settings_.type == BlockType::TutorialCombinedBlock)
        view_.showInstruction("");

    if (!correct) {
        awaitingCorrection_ = true;
        ++wrongCount_;
        state_ = State::Correcting;
    } else {
        awaitingCorrection_ = false;
        // The key's own time when the server's clock is calibrated. A key pressed
        // before this word appeared (during the delay, queued until now) counts from
        // the onset as it is handled.
        const std::int64_t handled = clock_.nowMicroseconds();
        responseTime_ = keyPressMicroseconds(stamp, serverClock_, handled);
        if (responseTime_ < onset_)
            responseTime_ = handled;
        if (results_) {
            TrialResult& r = (*results_)[presented_ - 1];
            r.latency = roundToMilliseconds(responseTime_ - onset_);
            r.wrongResponses = wrongCount_;
            r.responseSide = left ? "l" : "r";
        }
        view_.drawWord("", TextColour::Pair1);
        wrongCount_ = 0;
    }

    pointer_.setPosition(home_);
    view_.drawFeedback(correct);

    if (correct) {
        // The delay counts from the response: the next word appears the delay after
        // it, plus its own drawing; where the display reports its refreshes, at the
        // first refresh at or after the delay's end (the presenter holds it until then).
        state_ = State::Delay;
        const std::int64_t due = responseTime_ + static_cast<std::int64_t>(settings_.delay) * 1000;
        if (timing_.source == OnsetSource::AfterDrawing)
            waitUntil(due);
        present(due);
    }
}

void BlockEngine::waitUntil(std::int64_t deadlineMicroseconds)
{
    // Handles nothing meanwhile: input that arrives now stays queued and counts from
    // the next word's onset. Sleeps to shortly before the deadline and reads the
    // clock in a loop only for the rest, so that at real-time priority the process
    // never spins long enough to be throttled.
    const std::int64_t sleepEnd = deadlineMicroseconds - spinMicroseconds;
    if (clock_.nowMicroseconds() < sleepEnd)
        clock_.sleepUntil(sleepEnd);
    while (clock_.nowMicroseconds() < deadlineMicroseconds) {
    }
}

void BlockEngine::close(BlockEnd end)
{
    if (state_ == State::Closed || state_ == State::Idle)
        return;
    pointer_.setConfinement(savedConfinement_);
    state_ = State::Closed;
    end_ = end;
    if (serverClock_.usable) {
        timing_.keyClock = view_.keyClockName();
        timing_.keyCalibrationMicroseconds = serverClock_.spreadMicroseconds;
    }
    view_.closeWindow(end);
}

int trialsAnswered(BlockEnd end, int trialsPresented, int trials)
{
    if (end == BlockEnd::Completed)
        return trials;
    return std::clamp(trialsPresented - 1, 0, trials);
}

BlockRun conductBlock(BlockEngine& engine, const BlockSettings& settings, TrialResults* results,
                      const std::function<void()>& play)
{
    engine.open(settings, results);
    play();
    BlockRun run;
    run.end = engine.end();
    run.totals = engine.totals();
    run.timing = engine.timing();
    run.trialsAnswered = trialsAnswered(run.end, engine.trialsPresented(),
                                        std::clamp(settings.trials, 0, maxTrialsPerBlock));
    return run;
}
