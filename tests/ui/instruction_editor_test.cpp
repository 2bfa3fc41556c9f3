// The instruction page editor on the offscreen platform: typed into through its
// widgets, its files chosen through the path seam, its files compared byte by byte.
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>

#include "common/temp_directory.h"
#include "common/ui/warning_dialog.h"
#include "common/unsaved_work.h"
#include "instructions/ui/instruction_editor.h"
#include "instructions/ui/page_text_editor.h"
#include "instructions/ui/instruction_page_dialog.h"
#include "ui/path_answers.h"

namespace {

using Id = InstructionEditorDialog::ControlId;

// Answers the modal dialogs that open over the editor, in the order the test
// expects them, and keeps their texts. One it does not expect fails the test and is
// closed.
class Modals {
public:
    explicit Modals(QWidget* editor) : editor_(editor)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }

    void warning(WarningDialog::Choice choice)
    {
        steps_.push_back([this, choice](QWidget* w) {
            auto* d = qobject_cast<WarningDialog*>(w);
            if (d == nullptr)
                return false;
            texts.push_back(d->control<QLabel>(WarningDialog::MessageId)->text());
            d->done(choice);
            return true;
        });
    }
    void messageBox()
    {
        steps_.push_back([this](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box == nullptr)
                return false;
            texts.push_back(box->text());
            box->accept();
            return true;
        });
    }
    void preview()
    {
        steps_.push_back([this](QWidget* w) {
            auto* d = qobject_cast<InstructionPageDialog*>(w);
            if (d == nullptr)
                return false;
            texts.push_back(d->control<QLabel>(InstructionPageDialog::TextId)->text());
            d->accept();
            return true;
        });
    }
    bool done() const { return steps_.empty(); }

    QStringList texts;

private:
    void poll()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (w == nullptr || w == editor_ || !w->isVisible())
            return;
        const bool expected = !steps_.empty() && steps_.front()(w);
        if (expected) {
            steps_.pop_front();
            return;
        }
        ADD_FAILURE() << "unexpected dialog " << w->metaObject()->className();
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
    }

    QWidget* editor_;
    QTimer timer_;
    std::deque<std::function<bool(QWidget*)>> steps_;
};

class InstructionEditorTest : public ::testing::Test {
protected:
    InstructionEditorTest()
    {
        editor.setPathChooser(paths.chooser());
        editor.show();
    }
    void TearDown() override { EXPECT_TRUE(modals.done()) << "an expected dialog did not appear"; }

    QPlainTextEdit* box() { return editor.control<QPlainTextEdit>(Id::PageTextId); }
    QString shown(int id) { return editor.control<QLabel>(id)->text(); }
    // The whole path; the line itself may show only its end.
    std::string fileShown() { return editor.control(Id::FileNameId)->toolTip().toStdString(); }
    void click(int id) { editor.control<QPushButton>(id)->click(); }
    void menu(const QString& entry)
    {
        for (QAction* action : editor.menuBar()->actions().first()->menu()->actions())
            if (action->text() == entry)
                return action->trigger();
        ADD_FAILURE() << "no menu entry " << entry.toStdString();
    }
    void choose(const std::string& path) { paths.next(path); }
    void ctrlEnter() { QTest::keyClick(box(), Qt::Key_Return, Qt::ControlModifier); }
    std::string page(int i) { return editor.document().pageTexts[i].str(); }

    TempDirectory dir;
    PathAnswers paths{{}, true};
    std::vector<PathAnswers::Question>& asked = paths.asked;
    InstructionEditorDialog editor;
    Modals modals{&editor};
};


}  // namespace

TEST_F(InstructionEditorTest, TypedPagesAreSavedByteForByte)
{
    EXPECT_EQ(shown(Id::PageNumberId), "Page 1");
    EXPECT_EQ(shown(Id::PageTotalId), " out of 1");
    QTest::keyClicks(box(), "First page");
    ctrlEnter();
    QTest::keyClicks(box(), "second line");
    click(Id::AddPageId);
    EXPECT_EQ(shown(Id::PageNumberId), "Page 2");
    EXPECT_EQ(shown(Id::PageTotalId), " out of 2");
    QTest::keyClicks(box(), "Page two");
    choose(dir.file("intro.bgi"));
    click(Id::SaveId);
    EXPECT_EQ(dir.read("intro.bgi"), "2\r\nFirst page\r\r\nsecond line#\r\nPage two#\r\n");
    EXPECT_EQ(fileShown(), dir.file("intro.bgi"));

    // Save proposes the current file; Save As proposes none.
    choose(dir.file("intro.bgi"));
    menu("&Save");
    choose(dir.file("copy"));
    menu("Save &As");
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], (PathAnswers::Question{EditorFileChoice::Save, QString()}));
    EXPECT_EQ(asked[1], (PathAnswers::Question{EditorFileChoice::Save, QString::fromStdString(dir.file("intro.bgi"))}));
    EXPECT_EQ(asked[2], (PathAnswers::Question{EditorFileChoice::Save, QString()}));
    EXPECT_EQ(dir.read("copy"), dir.read("intro.bgi"));
}

TEST_F(InstructionEditorTest, OpenShowsTheFirstPageAndSavesTheFileUnchanged)
{
    // Written by the editor (CR CR LF), by hand (CR LF), accented, and an empty page.
    const std::string file = "4\r\nDear participant,\r\r\n\r\r\nwelcome.#\r\nHand\r\nwritten#\r\ncaf\xE9#\r\n#\r\n";
    dir.write("in.bgi", file);
    click(Id::AddPageId);
    click(Id::AddPageId);
    EXPECT_EQ(editor.currentPage(), 2);
    modals.warning(WarningDialog::Continue);  // the pages added are unsaved
    choose(dir.file("in.bgi"));
    menu("&Open");
    EXPECT_EQ(asked.at(0).choice, EditorFileChoice::Open);
    EXPECT_EQ(editor.currentPage(), 0);
    EXPECT_EQ(box()->toPlainText(), "Dear participant,\n\nwelcome.");
    EXPECT_EQ(shown(Id::PageTotalId), " out of 4");
    EXPECT_EQ(fileShown(), dir.file("in.bgi"));
    EXPECT_TRUE(shown(Id::FileNameId).endsWith("in.bgi"));
    click(Id::FlipForwardId);
    click(Id::FlipForwardId);
    EXPECT_EQ(box()->toPlainText(), QString::fromUtf8("caf\xC3\xA9"));
    choose(dir.file("out.bgi"));
    click(Id::SaveId);
    EXPECT_EQ(dir.read("out.bgi"), file);
}

TEST_F(InstructionEditorTest, NewAndOpenWarnFromTheSecondOnAndCancelKeepsThePage)
{
    QTest::keyClicks(box(), "kept");
    modals.warning(WarningDialog::Continue);
    menu("&New");  // the first: asks only because of what was typed
    EXPECT_EQ(box()->toPlainText(), "");
    QTest::keyClicks(box(), "kept");

    modals.warning(WarningDialog::Cancel);
    menu("&Open");
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(box()->toPlainText(), "kept");

    // CONTINUE, then the file dialog cancelled: the page stays as typed.
    modals.warning(WarningDialog::Continue);
    paths.cancelNext();
    menu("&Open");
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(box()->toPlainText(), "kept");

    modals.warning(WarningDialog::Continue);
    menu("&New");
    EXPECT_EQ(box()->toPlainText(), "");
    EXPECT_EQ(modals.texts, QStringList({QString::fromUtf8(unsavedChangesWarning)}) +
                                QStringList(3, QString::fromUtf8(overwriteWarning)));
}

TEST_F(InstructionEditorTest, EnterAnywhereIsExitWithItsWarning)
{
    QTest::keyClicks(box(), "abc");
    modals.warning(WarningDialog::Cancel);
    QTest::keyClick(box(), Qt::Key_Return);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(box()->toPlainText(), "abc");

    modals.warning(WarningDialog::Cancel);
    QTest::keyClick(editor.control(Id::AddPageId), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(editor.document().pageCount, 1);

    modals.warning(WarningDialog::Cancel);
    menu("&Exit");
    modals.warning(WarningDialog::Continue);
    click(Id::ExitId);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(modals.texts, QStringList(4, "Any unsaved changes will be lost."));
}

TEST_F(InstructionEditorTest, EscapeClosesAtOnce)
{
    QTest::keyClick(box(), Qt::Key_Escape);
    EXPECT_FALSE(editor.isVisible());
}

TEST_F(InstructionEditorTest, HashAndCharactersWithoutASingleByteFormCannotBeEntered)
{
    QTest::keyClicks(box(), "a#b");
    EXPECT_EQ(editor.control<QLabel>(Id::MessageId)->text(), QString::fromLatin1(pageRefusedCharactersMessage));
    box()->insertPlainText(QString::fromUtf8("#c\xE2\x98\x83\xC3\xA9#"));  // as a paste does
    EXPECT_EQ(box()->toPlainText(), QString::fromUtf8("abc\xC3\xA9"));
    EXPECT_EQ(box()->textCursor().position(), 4);
    choose(dir.file("x.bgi"));
    click(Id::SaveId);
    EXPECT_EQ(dir.read("x.bgi"), "1\r\nabc\xE9#\r\n");
}

TEST_F(InstructionEditorTest, APageTakesAtMost999SingleByteCharacters)
{
    box()->insertPlainText(QString(997, 'x'));
    ctrlEnter();  // two bytes: 999
    QTest::keyClicks(box(), "y");
    ctrlEnter();
    EXPECT_EQ(box()->toPlainText(), QString(997, 'x') + "\n");
    // Deleting the line break makes room for two characters.
    QTest::keyClick(box(), Qt::Key_Backspace);
    box()->insertPlainText("zzz");
    EXPECT_EQ(box()->toPlainText(), QString(997, 'x') + "zz");
    click(Id::FlipBackId);
    EXPECT_EQ(page(0), std::string(997, 'x') + "zz");
}

TEST_F(InstructionEditorTest, AFailedSaveIsReportedAndWritesNothing)
{
    const std::string missing = dir.file("gone/intro.bgi");
    choose(missing);
    modals.messageBox();
    click(Id::SaveId);
    ASSERT_EQ(modals.texts.size(), 1);
    EXPECT_TRUE(modals.texts[0].contains(QString::fromStdString("cannot write " + missing +
                                                                ": No such file or directory")))
        << modals.texts[0].toStdString();
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_EQ(fileShown(), "");
}

TEST_F(InstructionEditorTest, AnUnreadableFileLeavesThePagesAndProblemsAreShown)
{
    QTest::keyClicks(box(), "mine");
    modals.warning(WarningDialog::Continue);
    choose(dir.file("none.bgi"));
    modals.messageBox();
    menu("&Open");
    EXPECT_EQ(box()->toPlainText(), "mine");
    EXPECT_EQ(fileShown(), "");
    EXPECT_TRUE(modals.texts.value(1).contains("could not be read")) << modals.texts.value(1).toStdString();

    dir.write("short.bgi", "3\r\nonly one#\r\n");
    modals.warning(WarningDialog::Continue);
    choose(dir.file("short.bgi"));
    modals.messageBox();
    menu("&Open");
    EXPECT_EQ(box()->toPlainText(), "only one");
    EXPECT_TRUE(modals.texts.value(3).contains("short.bgi: the file ends after 1 of 3 pages"))
        << modals.texts.value(3).toStdString();
}

TEST_F(InstructionEditorTest, PageCommands)
{
    for (const char* text : {"A", "B", "C"}) {
        if (*text != 'A')
            click(Id::AddPageId);
        QTest::keyClicks(box(), text);
    }
    click(Id::FlipBackId);
    click(Id::MoveBackId);  // A C B, on B
    EXPECT_EQ(shown(Id::PageNumberId), "Page 3");
    click(Id::MoveBackId);  // the last stays
    click(Id::MoveFrontId);
    click(Id::MoveFrontId);  // B A C, on B
    click(Id::MoveFrontId);
    EXPECT_EQ(page(0) + page(1) + page(2), "BAC");
    EXPECT_EQ(editor.currentPage(), 0);

    modals.preview();
    QTest::keyClicks(box(), "!");
    click(Id::PreviewId);
    EXPECT_EQ(modals.texts.value(0), "!B");

    click(Id::FlipForwardId);
    modals.warning(WarningDialog::Cancel);
    click(Id::RemovePageId);  // kept, the page before becomes current
    EXPECT_EQ(editor.document().pageCount, 3);
    EXPECT_EQ(editor.currentPage(), 0);
    click(Id::FlipForwardId);
    modals.warning(WarningDialog::Continue);
    click(Id::RemovePageId);
    EXPECT_EQ(page(0) + page(1), "!BC");
    modals.warning(WarningDialog::Continue);
    click(Id::RemovePageId);
    EXPECT_EQ(modals.texts.value(1), "Are you sure you want to delete the current page?");

    // The only page stays.
    modals.messageBox();
    click(Id::RemovePageId);
    EXPECT_EQ(editor.document().pageCount, 1);
    EXPECT_EQ(box()->toPlainText(), "C");
    EXPECT_TRUE(modals.texts.value(4).contains("only page")) << modals.texts.value(4).toStdString();

    // Sixty pages, and no room for another.
    for (int i = 1; i < 60; ++i)
        click(Id::AddPageId);
    EXPECT_EQ(shown(Id::PageNumberId), "Page 60");
    EXPECT_EQ(shown(Id::PageTotalId), " out of 60");
    modals.messageBox();
    click(Id::AddPageId);
    EXPECT_EQ(editor.document().pageCount, 60);
    EXPECT_TRUE(modals.texts.value(5).contains("no room")) << modals.texts.value(5).toStdString();
    // Both page lines show whole at their widest.
    for (const int id : {Id::PageNumberId, Id::PageTotalId}) {
        auto* label = editor.control<QLabel>(id);
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
    }
}

TEST_F(InstructionEditorTest, ControlsStandAtTheirPlacesBelowTheMenu)
{
    const DialogTemplate& t = InstructionEditorDialog::dialogTemplate();
    const int menuHeight = editor.menuBar()->height();
    EXPECT_GT(menuHeight, 0);
    EXPECT_EQ(editor.width(), dialogUnitsToPixelsX(t.width, editor.baseUnits()));
    EXPECT_EQ(editor.height(), dialogUnitsToPixelsY(t.height, editor.baseUnits()) + menuHeight);
    for (const ControlSpec& item : t.controls) {
        const QRect r = editor.pixelRect(item.place).translated(0, menuHeight);
        EXPECT_EQ(editor.control(item.id)->geometry().topLeft(), r.topLeft()) << item.id;
        EXPECT_TRUE(editor.rect().contains(editor.control(item.id)->geometry())) << item.id;
    }
    QStringList entries;
    for (QAction* action : editor.menuBar()->actions().first()->menu()->actions())
        entries << action->text();
    EXPECT_EQ(editor.menuBar()->actions().first()->text(), "&File");
    EXPECT_EQ(entries, QStringList({"&New", "&Open", "&Save", "Save &As", "&Exit"}));
    for (QPushButton* button : editor.findChildren<QPushButton*>())
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << button->text().toStdString();
}
