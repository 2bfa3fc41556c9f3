// The three editors with typed work on screen: Escape, the close box, New (and the
// stimulus list editor's Exit and Enter) ask before it is lost; with nothing typed,
// or after a save, they act at once. And the File menu's shortcuts.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "common/temp_directory.h"
#include "common/ui/warning_dialog.h"
#include "common/unsaved_work.h"
#include "files/ui/stimulus_list_editor.h"
#include "instructions/ui/instruction_editor.h"
#include "questionnaire/ui/questionnaire_editor.h"
#include "ui/path_answers.h"

namespace {

using Command = EditorShellDialog::Command;

// Answers every WarningDialog with choice and keeps its text; any other dialog fails.
class WarningAnswers {
public:
    explicit WarningAnswers(WarningDialog::Choice choice) : choice_(choice)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start(5);
    }
    QStringList texts;

private:
    void answer()
    {
        QWidget* active = QApplication::activeModalWidget();
        if (active == nullptr || !active->isVisible() || qobject_cast<EditorShellDialog*>(active))
            return;
        if (auto* warning = qobject_cast<WarningDialog*>(active)) {
            texts << warning->control<QLabel>(WarningDialog::MessageId)->text();
            warning
                ->control<QPushButton>(choice_ == WarningDialog::Continue ? WarningDialog::ContinueId
                                                                          : WarningDialog::CancelId)
                ->click();
            return;
        }
        ADD_FAILURE() << "unexpected dialog " << active->metaObject()->className();
        if (auto* dialog = qobject_cast<QDialog*>(active))
            dialog->reject();
    }
    WarningDialog::Choice choice_;
    QTimer timer_;
};

struct EditorKind {
    const char* name;
    std::function<std::unique_ptr<EditorShellDialog>()> make;
    int boxId;     // the box typed into
    int secondId;  // another box that a save needs filled (0: none)
};

const EditorKind editors[] = {
    {"stimulus lists", [] { return std::make_unique<StimulusListEditor>(); }, StimulusListEditor::LabelAId,
     StimulusListEditor::LabelBId},
    {"instruction pages", [] { return std::make_unique<InstructionEditorDialog>(); },
     InstructionEditorDialog::PageTextId, 0},
    {"questionnaire", [] { return std::make_unique<QuestionnaireEditorDialog>(); },
     QuestionnaireEditorDialog::PageTextId, 0},
};

QString boxText(QWidget* box)
{
    if (auto* line = qobject_cast<QLineEdit*>(box))
        return line->text();
    return qobject_cast<QPlainTextEdit*>(box)->toPlainText();
}

enum class Step { Escape, CloseBox, New, Exit, Enter };
enum class Before { Nothing, Typed, TypedAndSaved };

}  // namespace

TEST(UnsavedWork, TypedWorkIsNotLostWithoutAQuestionInAnyEditor)
{
    struct Case {
        Step step;
        Before before;
        WarningDialog::Choice answer;
        bool asks;
        bool stillOpen;
        bool showsTyped;  // the box still shows what was typed
    };
    const auto closing = [](Step s) { return s != Step::New; };
    std::vector<Case> cases;
    for (Step step : {Step::Escape, Step::CloseBox, Step::New, Step::Exit, Step::Enter}) {
        cases.push_back({step, Before::Nothing, WarningDialog::Cancel, false, !closing(step), false});
        cases.push_back({step, Before::Typed, WarningDialog::Cancel, true, true, true});
        cases.push_back({step, Before::Typed, WarningDialog::Continue, true, !closing(step), closing(step)});
        cases.push_back({step, Before::TypedAndSaved, WarningDialog::Cancel, false, !closing(step), closing(step)});
    }
    for (const EditorKind& kind : editors) {
        for (const Case& c : cases) {
            // The page editors' EXIT asks always (their own tests): only the stimulus
            // list editor's Exit and Enter depend on what was typed.
            if ((c.step == Step::Exit || c.step == Step::Enter) && kind.boxId != StimulusListEditor::LabelAId)
                continue;
            SCOPED_TRACE(::testing::Message() << kind.name << ", step " << int(c.step) << ", before " << int(c.before)
                                              << ", answer " << int(c.answer));
            TempDirectory dir;
            PathAnswers paths({QString::fromStdString(dir.file("saved"))}, true);
            WarningAnswers answers(c.answer);
            std::unique_ptr<EditorShellDialog> editor = kind.make();
            editor->setPathChooser(paths.chooser());
            editor->show();
            QWidget* box = editor->control(kind.boxId);
            if (c.before != Before::Nothing) {
                QTest::keyClicks(box, "typed");
                if (kind.secondId != 0)
                    QTest::keyClicks(editor->control(kind.secondId), "other");
            }
            if (c.before == Before::TypedAndSaved) {
                editor->save();
                ASSERT_FALSE(dir.read("saved").empty());
                answers.texts.clear();  // the questionnaire's item count warning
            }
            switch (c.step) {
            case Step::Escape:
                QTest::keyClick(box, Qt::Key_Escape);
                break;
            case Step::CloseBox:
                editor->close();
                break;
            case Step::New:
                editor->action(Command::New)->trigger();
                break;
            case Step::Exit:
                editor->action(Command::Exit)->trigger();
                break;
            case Step::Enter:
                QTest::keyClick(box, Qt::Key_Return);
                break;
            }
            EXPECT_EQ(answers.texts, c.asks ? QStringList{unsavedChangesWarning} : QStringList{});
            EXPECT_EQ(editor->isVisible(), c.stillOpen);
            EXPECT_EQ(boxText(box), c.showsTyped ? "typed" : "");
        }
    }
}

TEST(UnsavedWork, TheFileMenusHaveTheirShortcuts)
{
    for (const EditorKind& kind : editors) {
        SCOPED_TRACE(kind.name);
        std::unique_ptr<EditorShellDialog> editor = kind.make();
        EXPECT_EQ(editor->action(Command::New)->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
        EXPECT_EQ(editor->action(Command::Open)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        EXPECT_EQ(editor->action(Command::Save)->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));

        // Pressed in a box of the shown editor, Ctrl+O opens (here: a cancelled choice).
        PathAnswers paths;
        editor->setPathChooser(paths.chooser());
        editor->show();
        editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor.get()));
        QTest::keyClick(editor->control(kind.boxId), Qt::Key_O, Qt::ControlModifier);
        ASSERT_EQ(paths.asked.size(), 1u);
        EXPECT_EQ(paths.asked[0].choice, EditorFileChoice::Open);
    }
}
