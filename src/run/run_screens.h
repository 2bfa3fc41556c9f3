#pragma once
// Everything the run of an experiment shows a person, as one interface: each call is
// one modal screen and returns what the person did. The Qt implementation shows the
// real dialogs and the task window; the simulated participant answers from a script
// on a virtual clock.

#include <optional>
#include <string>
#include <string_view>

#include "run/subject_record.h"
#include "files/word_list_review.h"
#include "instructions/page_screens.h"
#include "questionnaire/questionnaire_screens.h"
#include "task/between_block.h"
#include "task/block_engine.h"
#include "task/score_table.h"
#include "task/tutorial.h"

// What the experimenter chose on the screen that stops a run whose lines no file takes.
enum class OutputTrouble { TryAgain, EndRun };

class RunScreens {
public:
    virtual ~RunScreens() = default;

    // The subject information page until its entries are valid, or nothing when it
    // is cancelled.
    virtual std::optional<SubjectRecord> askSubject(const LocalDateTime& start) = 0;

    // The "File Error" dialog: its message, and below it the detail (a path centred
    // on one line, or problems one a line). The run stops after it.
    virtual void showFileError(std::string_view message, std::string_view detail) = 0;

    virtual PageScreens& pages() = 0;
    virtual QuestionnaireScreens& questions() = 0;
    virtual ReviewScreens& review() = 0;
    // Each tutorial part in a task window of its own.
    virtual TutorialBlocks& tutorial() = 0;

    virtual void showNextBlock(const NextBlockTexts& texts) = 0;

    // Told before each block of a session which half of the session it belongs to:
    // 0 before the category switch, 1 after it. Nothing is shown.
    virtual void blockHalf(int /*half*/) {}

    // One block in the run's task window, which keeps its alternation phase from
    // block to block: conductBlock on the window's engine. results holds the run's
    // markers in its first settings.trials slots; the block records its trials there
    // in place.
    virtual BlockRun runBlock(const BlockSettings& settings, TrialResults& results) = 0;

    virtual void showBlockFeedback(std::string_view timeText, std::string_view percentText) = 0;

    // Told once a block's data lines have been appended (written) or have failed to
    // be; nothing is shown.
    virtual void blockRecorded(int /*blockNumber*/, bool /*written*/) {}

    // The exit code screen once: the text typed when it is closed with Enter, or
    // nothing when it is closed with Escape.
    virtual std::optional<std::string> askExitCode() = 0;

    // Shown between blocks while no file takes the lines of the run: the message
    // begins "Please call the experimenter." The screen offers "Try again" and "End
    // the run" and has no default button: a stray key chooses nothing.
    virtual OutputTrouble askOutputTrouble(std::string_view message) = 0;

    // Once the run has ended with lines that no file took: the file to save them in
    // (a save-file dialog that proposes proposedName), or nothing when the dialog is
    // cancelled. message says what is held, and why the last file chosen refused it.
    virtual std::optional<std::string> askHeldLinesFile(std::string_view message, std::string_view proposedName) = 0;

    // After a cancelled save: true when the experimenter gives the held lines up.
    virtual bool confirmHeldLinesLost(std::string_view message) = 0;

    virtual void showReport(int subjectNumber, const ScoreTable& scores) = 0;

    // Tells the experimenter, at the end of the run, that output was lost.
    virtual void showWriteFailure(std::string_view message) = 0;
};
