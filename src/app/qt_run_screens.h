#pragma once
// The run of an experiment on screen: the subject page, the file error, the pages,
// questionnaires, list review and tutorial, one task window and one dialog of each
// kind between blocks for the whole run, the exit code screen and the report, all
// modal over the main frame.

#include <QFont>
#include <QPointer>

#include "common/ui/accelerator_slot.h"
#include "run/run_screens.h"
#include "files/ui/qt_review_screens.h"
#include "instructions/ui/qt_page_screens.h"
#include "questionnaire/ui/qt_questionnaire_screens.h"
#include "task/ui/block_feedback_dialog.h"
#include "task/ui/next_block_dialog.h"
#include "task/ui/qt_tutorial_screens.h"
#include "task/ui/task_window.h"

class QtRunScreens : public RunScreens {
public:
    QtRunScreens(AcceleratorSlot& slot, Pointer& pointer, Clock& clock, const QFont& taskFont,
                 QWidget* parent = nullptr);
    ~QtRunScreens() override;
    QtRunScreens(const QtRunScreens&) = delete;
    QtRunScreens& operator=(const QtRunScreens&) = delete;

    std::optional<SubjectRecord> askSubject(const LocalDateTime& start) override;
    void showFileError(std::string_view message, std::string_view detail) override;

    PageScreens& pages() override { return pages_; }
    QuestionnaireScreens& questions() override { return questions_; }
    ReviewScreens& review() override { return review_; }
    TutorialBlocks& tutorial() override { return tutorial_; }

    void showNextBlock(const NextBlockTexts& texts) override;
    BlockRun runBlock(const BlockSettings& settings, TrialResults& results) override;
    void showBlockFeedback(std::string_view timeText, std::string_view percentText) override;

    // The code in its single-byte form.
    std::optional<std::string> askExitCode() override;
    void showReport(int subjectNumber, const ScoreTable& scores) override;
    void showWriteFailure(std::string_view message) override;
    OutputTrouble askOutputTrouble(std::string_view message) override;
    std::optional<std::string> askHeldLinesFile(std::string_view message, std::string_view proposedName) override;
    bool confirmHeldLinesLost(std::string_view message) override;

    // The run's task window and between-block dialogs, once they have been made.
    TaskWindow* taskWindow() const { return window_; }
    NextBlockDialog* nextBlockDialog() const { return nextBlock_; }
    BlockFeedbackDialog* blockFeedbackDialog() const { return feedback_; }

private:
    TaskWindow& window();

    AcceleratorSlot& slot_;
    Pointer& pointer_;
    Clock& clock_;
    QFont font_;
    QWidget* parent_;

    QtPageScreens pages_;
    QtQuestionnaireScreens questions_;
    QtReviewScreens review_;
    QtTutorialScreens tutorial_;

    // Children of parent, made on first use; deleted with this object unless the
    // parent went first.
    QPointer<TaskWindow> window_;
    QPointer<NextBlockDialog> nextBlock_;
    QPointer<BlockFeedbackDialog> feedback_;
};
