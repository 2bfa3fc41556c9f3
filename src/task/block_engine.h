#pragma once
// One block of the categorization task as a state machine: waiting for start, word
// shown, correcting, delay, closed. It draws through a TaskView, reads time from a
// Clock and moves the pointer through the platform; the Qt task window is a thin
// view that forwards the participant's keys to it.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/shortcut_table.h"
#include "files/word_list.h"
#include "platform/platform.h"
#include "platform/presentation.h"
#include "platform/server_clock.h"
#include "task/trial_plan.h"

struct TrialResult {
    int trialNumber = 0;
    int pair = 0;              // 0 = pair 1, 1 = pair 2
    int category = 0;          // 0 or 1 within the pair
    int item = 0;              // 1 to 18
    Entry word;                // the item as shown
    int latency = 0;           // milliseconds from the word's onset to the correct response
    int wrongResponses = 0;    // wrong responses before the correct one
    std::string responseSide;  // "l" or "r": the key of the correct response
};

using TrialResults = std::array<TrialResult, maxTrialsPerBlock>;

struct BlockTotals {
    double totalLatency = 0;    // milliseconds, trials 2 to N
    double percentCorrect = 0;  // over trials 2 to N
};

// Totals over trials 2 to N. A block of no trials gives 0 ms and 100 percent (the
// formula with N - 1 = -1); a block of one trial, with nothing to count, 0 ms and
// 100 percent.
BlockTotals computeTotals(const TrialResults& results, int trials);

// [pair][category][entry]: entry 0 the label, entries 1 to 18 the items.
using ItemTable = std::array<std::array<Entries, 2>, 2>;

// The tutorial's words: pair A snake/bird, pair B red/white, five items each.
const ItemTable& tutorialItemTable();

// The messages the tutorial shows at the top of the window: 0 to 7 as the window
// sets them, then the two of the second part.
extern const char* const tutorialMessages[8];
extern const char* const tutorialCombinedMessages[2];

// Where the window stands while it runs, in the pointer's (device) pixels.
struct WindowGeometry {
    ScreenRect frame;          // the window's outer frame, as the window manager draws it, on the screen
    int startButtonHeight;     // pixels
    ScreenRect screen;         // the monitor the window is centred on; the pointer's home is its corner
    std::uint64_t window = 0;  // the window's identifier on the display (0: none)
};

// The frame narrowed by a quarter of the START button's height on each side and
// shortened by half of it at the bottom (integer halves and quarters, truncated
// toward zero).
ScreenRect confinementRect(const ScreenRect& frame, int startButtonHeight);

enum class TextColour { Pair1, Pair2 };

// How a block ended. The numbers are the task window's dialog results.
enum class BlockEnd {
    Completed = 0,  // every trial answered
    Skipped = 2,    // ended early: the skip key (Alt+K), or closed by the program
};

// One word of a block's plan, as it will be shown.
struct PlannedWord {
    std::string text;
    TextColour colour = TextColour::Pair1;
};

// What the engine asks of the screen. Each call draws at once and has finished
// drawing when it returns: the onset time is read right after drawWord. A view whose
// display reports its refreshes shows the words by presentWord instead, at a refresh,
// and gives their onsets as the display reports them.
class TaskView {
public:
    virtual ~TaskView() = default;
    // Where this block's onsets come from; asked when a block opens. A presentation
    // source gives the display's refreshes from refreshClock().
    virtual OnsetSource onsetSource() { return OnsetSource::AfterDrawing; }
    virtual const RefreshClock* refreshClock() { return nullptr; }
    // The clock of the key stamps that the block's server clock calibration is for
    // ("X server", "CLOCK_MONOTONIC"); asked when the block closes, and only when the
    // calibration is usable.
    virtual std::string keyClockName() { return "key stamps"; }
    // How long before its refresh a word must be given to presentWord to be shown at it.
    virtual std::int64_t presentationLead() { return presentationLeadMicroseconds; }
    // Makes ready every word the block will show (before its first), so that showing
    // one costs nothing more than the presentation.
    virtual void prepareWords(const std::vector<PlannedWord>& words) { (void)words; }
    // Shows word `index` of those prepared at the refresh `target` and returns once the
    // display has reported it shown, or, when no report comes within
    // mostRefreshesToWaitForReport refreshes past the target, once it is drawn as
    // drawWord draws (then missed, the onset the moment after drawing). Only with a
    // presentation source.
    virtual Presentation presentWord(int index, Refresh target)
    {
        (void)index;
        (void)target;
        return {};
    }
    // Empties the label, word and feedback areas.
    virtual void clearAreas() = 0;
    virtual void showInstruction(std::string_view text) = 0;
    // Upper left, upper right, lower left, lower right; an empty text leaves its area blank.
    virtual void drawLabels(const std::array<std::string, 4>& labels) = 0;
    // Fills the word area with the background and draws the word (nothing for "").
    virtual void drawWord(std::string_view word, TextColour colour) = 0;
    // Fills the feedback area and draws a green "O" or a red "X".
    virtual void drawFeedback(bool correct) = 0;
    virtual WindowGeometry windowGeometry() = 0;
    // The block has ended.
    virtual void closeWindow(BlockEnd end) = 0;
};

// The key clock of a block whose keys were timed when the program handled them.
inline constexpr const char* keyHandledClock = "handled";

// How a block's words were timed: for the timing record.
struct BlockTiming {
    OnsetSource source = OnsetSource::AfterDrawing;
    double refreshMicroseconds = 0;  // the refresh interval (0 without a refresh clock)
    int wordsShown = 0;
    int framesMissed = 0;       // words later than their refresh, or never reported
    std::int64_t mostLate = 0;  // microseconds, the largest presentation past its target
    // The clock the responses were timed on: the view's name for its key stamps, or
    // "handled" where keys were timed when handled; the calibration's width with stamps.
    std::string keyClock = keyHandledClock;
    std::optional<std::int64_t> keyCalibrationMicroseconds;
};

struct BlockSettings {
    BlockType type = BlockType::PairOneBlock;
    ItemTable items;
    int usableItemCount = 2;  // entries 1 to n - 1 of every category are used
    std::array<int, 2> leftCategory{0, 0};
    int trials = 0;
    unsigned delay = 0;  // milliseconds after each correct response
    std::string instruction;
    std::array<std::string, 4> labels;  // upper left, upper right, lower left, lower right
};

class BlockEngine {
public:
    enum class State { Idle, WaitingForStart, WordShown, Correcting, Delay, Closed };

    BlockEngine(TaskView& view, Clock& clock, Pointer& pointer, RandomGenerator& random, CalendarTime& calendar);

    // The block's totals: zero until it completes.
    const BlockTotals& totals() const { return totals_; }

    // Opens the window for one block: pointer home and confined, flags reset, totals
    // zero, the instruction shown. The alternation phase is kept from earlier blocks.
    // The block records the trials it reaches in place in results, whose slots the
    // caller has filled with its placeholders; a tutorial part records nothing, and
    // a block opened without results records nothing either.
    void open(const BlockSettings& settings, TrialResults* results = nullptr);

    // A key's command: the key arms the window, then the command is carried out.
    // stamp: the display server's time stamp of the key, when it has one.
    void key(TaskCommand command, std::optional<std::uint32_t> stamp = std::nullopt);
    // The calibration of the server's clock for this block's key stamps; without a
    // usable one, a response is timed when it is handled.
    void setServerClock(const ServerClockCalibration& calibration) { serverClock_ = calibration; }
    const ServerClockCalibration& serverClock() const { return serverClock_; }
    // The window's commands. Start and the responses act only when armed.
    void start();
    void respond(bool left, std::optional<std::uint32_t> stamp = std::nullopt);
    // Closes at once, from any state but Idle and Closed, and gives the pointer back
    // the confinement it had before the block; a block that completes closes so too.
    void close(BlockEnd end);

    State state() const { return state_; }
    // How the block ended, once it is Closed.
    BlockEnd end() const { return end_; }
    // Whether the left key is the correct answer to the word on screen, from the
    // moment it is drawn: its category is on the left key of its pair; in a tutorial
    // part category 0 is on the left and the part's first word counts as category 0.
    bool correctSideIsLeft() const { return correctLeft_; }
    int trialsPresented() const { return presented_; }
    int phase() const { return phase_; }
    const TrialPlan& plan() const { return plan_; }
    const ScreenRect& savedConfinement() const { return savedConfinement_; }
    ScreenPoint homePoint() const { return home_; }
    // The onset of the word now shown, in clock microseconds.
    std::int64_t onsetMicroseconds() const { return onset_; }
    // How the block's words were timed so far.
    const BlockTiming& timing() const { return timing_; }

private:
    // Shows the next word, due at the moment `due` (clock microseconds), or closes the
    // block after its last.
    void present(std::int64_t due);
    PlannedWord plannedWord(int i) const;
    void showTutorialMessageAtPresentation(int i);
    void waitUntil(std::int64_t deadlineMicroseconds);

    TaskView& view_;
    Clock& clock_;
    Pointer& pointer_;
    RandomGenerator& random_;
    CalendarTime& calendar_;

    BlockSettings settings_;
    TrialResults* results_ = nullptr;  // the caller's slots for the block open, if it records
    BlockTotals totals_;
    TrialPlan plan_;
    int phase_ = 0;  // lives as long as the engine
    // How far ahead of its refresh a picture is sent, learned from the display's late
    // presentations; lives as long as the engine, as the display does.
    std::int64_t lead_ = presentationLeadMicroseconds;

    State state_ = State::Idle;
    BlockEnd end_ = BlockEnd::Completed;
    bool armed_ = false;
    bool started_ = false;
    bool awaitingCorrection_ = false;
    int presented_ = 0;
    int wrongCount_ = 0;
    bool correctLeft_ = false;
    std::int64_t onset_ = 0;
    std::int64_t responseTime_ = 0;  // of the last correct response
    ServerClockCalibration serverClock_;
    BlockTiming timing_;
    ScreenPoint home_;
    ScreenRect savedConfinement_;
};

// What one block came to.
struct BlockRun {
    BlockEnd end = BlockEnd::Completed;
    BlockTotals totals;      // zero unless completed
    int trialsAnswered = 0;  // trials with a recorded response
    BlockTiming timing;
};

// How many of a block's slots hold an answered trial: all of them when the block
// ran to its end; otherwise the words presented less the one on screen when the
// block was closed, which the participant had not answered (the engine presents
// the next word as soon as a word is answered).
int trialsAnswered(BlockEnd end, int trialsPresented, int trials);

// The protocol of one block, the same for every screen: opens engine for settings
// to record in results (as open), calls play, which shows the block and presses its
// keys until the engine has closed it, and says what the block came to. The engine
// has restored the pointer confinement by then.
BlockRun conductBlock(BlockEngine& engine, const BlockSettings& settings, TrialResults* results,
                      const std::function<void()>& play);

// The part of a wait spent reading the clock in a loop, after sleeping.
inline constexpr std::int64_t spinMicroseconds = 2000;

// Microseconds to whole milliseconds, rounded to nearest.
int roundToMilliseconds(std::int64_t microseconds);
