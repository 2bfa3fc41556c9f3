// The questionnaire editor on the offscreen platform: typed into through its
// widgets, with the file dialogs replaced, and the files it saves compared byte by
// byte.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "common/temp_directory.h"
#include "common/ui/warning_dialog.h"
#include "common/unsaved_work.h"
#include "instructions/ui/instruction_page_dialog.h"
#include "layout_check.h"
#include "ui/path_answers.h"
#include "questionnaire/ui/list_options_dialog.h"
#include "questionnaire/ui/list_question_dialog.h"
#include "instructions/ui/page_text_editor.h"
#include "questionnaire/ui/questionnaire_editor.h"
#include "questionnaire/ui/radio_question_dialog.h"
#include "questionnaire/ui/text_question_dialog.h"

namespace {

using Editor = QuestionnaireEditorDialog;

// Answers every modal dialog the editor opens while it lives, and notes what each
// showed: "warning: ...", "message: ...", "instruction: ...", "text: ...",
// "radio: question|first|second", "list: question|choices...", "list options".
class ModalAnswers {
public:
    ModalAnswers()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start();
    }

    std::vector<QString> seen;
    WarningDialog::Choice warningAnswer = WarningDialog::Continue;
    std::function<void(ListOptionsDialog&)> listOptions = [](ListOptionsDialog& d) { d.accept(); };

private:
    void answer()
    {
        QWidget* active = QApplication::activeModalWidget();
        if (active == nullptr || !active->isVisible())
            return;
        if (auto* w = qobject_cast<WarningDialog*>(active)) {
            seen.push_back("warning: " + w->control<QLabel>(WarningDialog::MessageId)->text());
            w->control<QPushButton>(warningAnswer == WarningDialog::Continue ? WarningDialog::ContinueId
                                                                             : WarningDialog::CancelId)
                ->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(active)) {
            seen.push_back("message: " + box->text());
            box->accept();
        } else if (auto* options = qobject_cast<ListOptionsDialog*>(active)) {
            seen.push_back("list options");
            listOptions(*options);
        } else if (auto* page = qobject_cast<InstructionPageDialog*>(active)) {
            seen.push_back("instruction: " + page->control<QLabel>(InstructionPageDialog::TextId)->text());
            page->accept();
        } else if (auto* text = qobject_cast<TextQuestionDialog*>(active)) {
            seen.push_back("text: " + text->control<QLabel>(TextQuestionDialog::QuestionId)->text() + "|" +
                           text->control<QLineEdit>(TextQuestionDialog::AnswerId)->text());
            text->reject();
        } else if (auto* radio = qobject_cast<RadioQuestionDialog*>(active)) {
            seen.push_back("radio: " + radio->control<QLabel>(RadioQuestionDialog::QuestionId)->text() + "|" +
                           radio->control<QLabel>(RadioQuestionDialog::FirstLabelId)->text() + "|" +
                           radio->control<QLabel>(RadioQuestionDialog::SecondLabelId)->text() +
                           (radio->selection() == -1 ? "" : "|selected"));
            radio->reject();
        } else if (auto* list = qobject_cast<ListQuestionDialog*>(active)) {
            QString shown = "list: " + list->control<QLabel>(ListQuestionDialog::QuestionId)->text();
            auto* entries = list->control<QListWidget>(ListQuestionDialog::ListId);
            for (int i = 0; i < entries->count(); ++i)
                shown += "|" + entries->item(i)->text();
            seen.push_back(shown);
            list->reject();
        }
    }

    QTimer timer_;
};

// What each file dialog was asked: "open " or "save " and the path it proposed.
std::vector<QString> asked(const PathAnswers& paths)
{
    std::vector<QString> texts;
    for (const PathAnswers::Question& question : paths.asked)
        texts.push_back((question.choice == EditorFileChoice::Open ? "open " : "save ") + question.proposed);
    return texts;
}

QString q(const std::string& text) { return QString::fromStdString(text); }

QLineEdit* box(Editor& e, int id) { return e.control<QLineEdit>(id); }
QPlainTextEdit* pageText(Editor& e) { return e.control<QPlainTextEdit>(Editor::PageTextId); }
void click(Editor& e, int id) { e.control<QAbstractButton>(id)->click(); }
void type(Editor& e, int id, const QString& text) { QTest::keyClicks(box(e, id), text); }
QString shown(Editor& e, int id) { return e.control<QLabel>(id)->text(); }

void typePageText(Editor& e, const QStringList& lines)
{
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(pageText(e), Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(pageText(e), lines[i]);
    }
}

void typeChoices(ListOptionsDialog& d, const std::vector<QString>& choices)
{
    for (std::size_t k = 0; k < choices.size(); ++k) {
        d.choiceBox(static_cast<int>(k))->clear();
        QTest::keyClicks(d.choiceBox(static_cast<int>(k)), choices[k]);
    }
    d.control<QPushButton>(ListOptionsDialog::OkId)->click();
}

// Five pages, one of each type; the first page's text has a line break.
const std::string everyTypeFile = "Fruit#\r\nTools#\r\n5\r\n"
                                  "0\r\nWelcome\r\r\nto the study#\r\n1\r\n"
                                  "1\r\nName a fruit you like#\r\n2\r\n"
                                  "1\r\nWhich one?#\r\n3\r\napple#\r\nhammer#\r\n"
                                  "2\r\nPick a tool#\r\n4\r\n2\r\nsaw#\r\ndrill#\r\n"
                                  "1\r\n#\r\n5\r\npear#\r\n";

}  // namespace

TEST(QuestionnaireEditor, ControlsStandAtTheirTablePlacesBelowTheMenu)
{
    Editor e;
    EXPECT_EQ(e.windowTitle(), "TRUV Idiosyncratic Items Questionnaire");
    const DialogTemplate& t = Editor::dialogTemplate();
    const DialogBaseUnits base = e.baseUnits();
    const int bar = e.menuHeight();
    EXPECT_GT(bar, 0);
    EXPECT_EQ(e.width(), dialogUnitsToPixelsX(t.width, base));
    EXPECT_EQ(e.height(), dialogUnitsToPixelsY(t.height, base) + bar);
    for (const ControlSpec& item : t.controls) {
        const PixelRect p = toPixels(item.place, base);
        const QRect g = e.control(item.id)->geometry().translated(0, -bar);
        EXPECT_EQ(g.topLeft(), QPoint(p.x, p.y)) << item.text;
        EXPECT_GE(g.width(), p.width) << item.text;
        EXPECT_TRUE(QRect(QPoint(0, -bar), e.size()).contains(g)) << item.text;
    }
    QStringList entries;
    ASSERT_EQ(e.menuBar()->actions().size(), 1);
    EXPECT_EQ(e.menuBar()->actions()[0]->text(), "&File");
    for (QAction* a : e.menuBar()->actions()[0]->menu()->actions())
        entries << a->text();
    EXPECT_EQ(entries, (QStringList{"&New", "&Open", "&Save", "Save &As", "&Exit"}));
    for (QPushButton* b : e.findChildren<QPushButton*>())
        EXPECT_FALSE(b->isDefault() || b->autoDefault()) << b->text().toStdString();
    EXPECT_EQ(shown(e, Editor::PageNumberId), "Page 1");
    EXPECT_EQ(shown(e, Editor::PageTotalId), " out of 1");
    EXPECT_TRUE(e.control<QRadioButton>(Editor::InstructionTypeId)->isChecked());
    EXPECT_FALSE(e.control<QRadioButton>(Editor::Category1ButtonId)->isChecked());
    EXPECT_FALSE(e.control<QRadioButton>(Editor::Category2ButtonId)->isChecked());

    ListOptionsDialog options;
    EXPECT_EQ(options.windowTitle(), "List Options");
    expectLaidOutAsTable(options, ListOptionsDialog::dialogTemplate());
}

TEST(QuestionnaireEditor, AQuestionnaireTypedPageByPageIsSavedByteForByte)
{
    TempDirectory dir;
    PathAnswers paths({q(dir.file("own.qls"))});
    ModalAnswers answers;
    answers.warningAnswer = WarningDialog::Cancel;  // the item count warning: saved all the same
    Editor e;
    e.setPathChooser(paths.chooser());
    e.show();

    type(e, Editor::Category1LabelId, "Fruit");
    type(e, Editor::Category2LabelId, "Tools");
    typePageText(e, {"Welcome", "to the study"});

    click(e, Editor::AddPageId);
    click(e, Editor::TextTypeId);
    click(e, Editor::Category1ButtonId);
    typePageText(e, {"Name a fruit you like"});

    click(e, Editor::AddPageId);  // keeps category 1 from the buttons
    click(e, Editor::RadioTypeId);
    typePageText(e, {"Which one?"});
    type(e, Editor::RadioItem1Id, "apple");
    type(e, Editor::RadioItem2Id, "hammer");

    click(e, Editor::AddPageId);
    click(e, Editor::ListTypeId);
    click(e, Editor::Category2ButtonId);
    typePageText(e, {"Pick a tool"});
    answers.listOptions = [](ListOptionsDialog& d) { typeChoices(d, {"saw", "", "drill"}); };
    click(e, Editor::EditChoicesId);

    click(e, Editor::AddPageId);
    click(e, Editor::ExperimenterTypeId);
    click(e, Editor::Category1ButtonId);
    type(e, Editor::ExperimenterItemId, "pear");
    EXPECT_EQ(shown(e, Editor::PageNumberId), "Page 5");
    EXPECT_EQ(shown(e, Editor::PageTotalId), " out of 5");

    click(e, Editor::SaveId);
    EXPECT_EQ(dir.read("own.qls"), everyTypeFile);
    EXPECT_EQ(asked(paths), (std::vector<QString>{"save "}));
    EXPECT_EQ(answers.seen, (std::vector<QString>{"list options", "warning: " + QString(itemCountWarning)}));
    EXPECT_EQ(shown(e, Editor::FileNameId), q(dir.file("own.qls")));
    EXPECT_EQ(shown(e, Editor::PageNumberId), "Page 5") << "Save shows the same page";
}

TEST(QuestionnaireEditor, OpenShowsTheFirstPageAndSaveWritesTheSameBytes)
{
    TempDirectory dir;
    // A category on every page but the first, 4 items in each category, 18 choices,
    // and a page text with two line breaks.
    std::string file = "Mine#\r\nTheirs#\r\n7\r\n"
                       "0\r\nHello\r\r\n\r\r\nthere#\r\n1\r\n"
                       "2\r\nA friend's name#\r\n2\r\n"
                       "1\r\nWhich one?#\r\n3\r\ncoffee#\r\ntea#\r\n"
                       "2\r\nAnd now?#\r\n3\r\nsea#\r\nhills#\r\n"
                       "1\r\nPick a city#\r\n4\r\n18\r\n";
    for (int k = 1; k <= 18; ++k)
        file += "city" + std::to_string(k) + "#\r\n";
    file += "1\r\n#\r\n5\r\nhome#\r\n"
            "2\r\nUnused text#\r\n5\r\nabroad#\r\n";
    dir.write("in.qls", file);
    PathAnswers paths({q(dir.file("in.qls")), q(dir.file("out.qls")), q(dir.file("again.qls"))});
    ModalAnswers answers;
    Editor e;
    e.setPathChooser(paths.chooser());
    e.show();
    click(e, Editor::AddPageId);
    click(e, Editor::AddPageId);

    e.openDocument();  // the first Open: no overwrite warning, but the pages added are unsaved
    EXPECT_EQ(answers.seen, (std::vector<QString>{"warning: " + QString(unsavedChangesWarning)}));
    answers.seen.clear();
    EXPECT_EQ(shown(e, Editor::PageNumberId), "Page 1");
    EXPECT_EQ(shown(e, Editor::PageTotalId), " out of 7");
    EXPECT_EQ(box(e, Editor::Category1LabelId)->text(), "Mine");
    EXPECT_EQ(pageText(e)->toPlainText(), "Hello\n\nthere");
    EXPECT_EQ(shown(e, Editor::FileNameId), q(dir.file("in.qls")));

    e.save();
    EXPECT_EQ(asked(paths), (std::vector<QString>{"open ", "save " + q(dir.file("in.qls"))}));
    EXPECT_TRUE(answers.seen.empty()) << answers.seen.front().toStdString();
    EXPECT_EQ(dir.read("out.qls"), file);
    EXPECT_EQ(shown(e, Editor::FileNameId), q(dir.file("out.qls")));

    // Every page shown and stored again on the way: still the same bytes.
    for (int i = 0; i < 6; ++i)
        click(e, Editor::FlipForwardId);
    e.saveAs();
    EXPECT_EQ(asked(paths).back(), "save ");
    EXPECT_EQ(dir.read("again.qls"), file);
    EXPECT_TRUE(answers.seen.empty());
}

TEST(QuestionnaireEditor, AnOpenedPageWithoutCategoryTakesTheOneTheButtonsShowWhenStored)
{
    TempDirectory dir;
    dir.write("in.qls", everyTypeFile);
    PathAnswers paths({q(dir.file("in.qls")), q(dir.file("forward.qls")), q(dir.file("back.qls"))});
    ModalAnswers answers;
    Editor e;
    e.setPathChooser(paths.chooser());
    e.show();
    e.openDocument();
    for (int i = 0; i < 5; ++i)
        click(e, Editor::FlipForwardId);
    e.save();
    EXPECT_EQ(dir.read("forward.qls"), everyTypeFile);

    // Back on the first page the buttons still show page 2's category 1.
    for (int i = 0; i < 5; ++i)
        click(e, Editor::FlipBackId);
    EXPECT_TRUE(e.control<QRadioButton>(Editor::Category1ButtonId)->isChecked());
    e.save();
    std::string expected = everyTypeFile;
    expected.replace(expected.find("0\r\nWelcome"), 1, "1");
    EXPECT_EQ(dir.read("back.qls"), expected);
    EXPECT_EQ(answers.seen, std::vector<QString>(2, "warning: " + QString(itemCountWarning)));
}

TEST(QuestionnaireEditor, NewAndOpenLeaveTheCategoryButtonsAsTheyWereForAPageWithoutCategory)
{
    TempDirectory dir;
    dir.write("none.qls", everyTypeFile);  // its first page has no category
    std::string first1 = everyTypeFile;
    first1.replace(first1.find("0\r\nWelcome"), 1, "1");
    dir.write("one.qls", first1);
    struct Case {
        const char* what;
        int before;        // the category button selected before the command
        const char* open;  // the file opened; none: New
        int after;         // the button selected after it, and the first page's category when saved
        std::string savedStart;
    };
    const Case cases[] = {
        {"New", 2, nullptr, 2, "#\r\n#\r\n1\r\n2\r\n"},
        {"New", 1, nullptr, 1, "#\r\n#\r\n1\r\n1\r\n"},
        {"Open, first page without category", 2, "none.qls", 2, "Fruit#\r\nTools#\r\n5\r\n2\r\n"},
        {"Open, first page of category 1", 2, "one.qls", 1, "Fruit#\r\nTools#\r\n5\r\n1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + ", button " + std::to_string(c.before));
        PathAnswers paths(c.open ? std::vector<QString>{q(dir.file(c.open)), q(dir.file("saved.qls"))}
                                 : std::vector<QString>{q(dir.file("saved.qls"))});
        ModalAnswers answers;
        Editor e;
        e.setPathChooser(paths.chooser());
        e.show();
        click(e, c.before == 1 ? Editor::Category1ButtonId : Editor::Category2ButtonId);
        if (c.open)
            e.openDocument();
        else
            e.newDocument();
        EXPECT_EQ(e.control<QRadioButton>(Editor::Category1ButtonId)->isChecked(), c.after == 1);
        EXPECT_EQ(e.control<QRadioButton>(Editor::Category2ButtonId)->isChecked(), c.after == 2);
        e.save();
        EXPECT_EQ(dir.read("saved.qls").substr(0, c.savedStart.size()), c.savedStart);
    }
}

TEST(QuestionnaireEditor, AUsableQuestionnaireIsSavedWithoutTheItemCountWarning)
{
    TempDirectory dir;
    std::string file = "A#\r\nB#\r\n4\r\n";
    for (int i = 0; i < 4; ++i)
        file += "1\r\nq#\r\n3\r\nx#\r\ny#\r\n";
    dir.write("four.qls", file);
    PathAnswers paths({q(dir.file("four.qls")), q(dir.file("copy.qls"))});
    ModalAnswers answers;
    Editor e;
    e.setPathChooser(paths.chooser());
    e.show();
    e.openDocument();
    e.save();
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_EQ(dir.read("copy.qls"), file);
}

TEST(QuestionnaireEditor, HashAndCharactersWithoutASingleByteFormCannotBeTypedOrPastedAnywhere)
{
    ModalAnswers answers;
    Editor e;
    e.show();
    for (int id : {Editor::Category1LabelId, Editor::Category2LabelId, Editor::RadioItem1Id, Editor::RadioItem2Id,
                   Editor::ExperimenterItemId}) {
        type(e, id, "Ca#fe");
        box(e, id)->insert("x#y");
        box(e, id)->insert(QString::fromUtf8("\xC3\xA9"));
        box(e, id)->insert(QString::fromUtf8("\xE2\x86\x92"));
        EXPECT_EQ(box(e, id)->text(), QString::fromUtf8("Cafe\xC3\xA9")) << id;
        type(e, id, "0123456789abcdef");
        EXPECT_EQ(box(e, id)->text().size(), 15) << "at most 15 characters";
    }

    // The page text keeps what it can of a paste, and the message line says what was left out.
    const auto message = [&] { return e.control<QLabel>(Editor::MessageId)->text(); };
    typePageText(e, {"Say #1", "now"});
    pageText(e)->insertPlainText(QString::fromUtf8(" pasted # text\xE2\x86\x92"));
    EXPECT_EQ(pageText(e)->toPlainText(), "Say 1\nnow pasted  text");
    EXPECT_EQ(message(), QString::fromLatin1(pageRefusedCharactersMessage));
    QTest::keyClicks(pageText(e), "!");
    EXPECT_EQ(pageText(e)->toPlainText(), "Say 1\nnow pasted  text!") << "typing goes on where it was refused";

    // 999 single bytes, a line break counting as two; a paste is cut at the room left.
    pageText(e)->clear();
    pageText(e)->insertPlainText(QString(996, 'a'));
    pageText(e)->insertPlainText("bcde");
    EXPECT_EQ(pageText(e)->toPlainText(), QString(996, 'a') + "bcd");
    EXPECT_EQ(message(), QString::fromLatin1(pageFullMessage));
    QTest::keyClick(pageText(e), Qt::Key_Backspace);
    QTest::keyClick(pageText(e), Qt::Key_Backspace);
    QTest::keyClick(pageText(e), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(pageText(e)->toPlainText(), QString(996, 'a') + "b\n");
    QTest::keyClicks(pageText(e), "b");
    EXPECT_EQ(pageText(e)->toPlainText(), QString(996, 'a') + "b\n");
    e.flipForward();
    EXPECT_EQ(message(), "") << "a page shown anew empties the message line";
    EXPECT_TRUE(answers.seen.empty());

    ListOptionsDialog options;
    QTest::keyClicks(options.choiceBox(3), "a#b");
    options.choiceBox(3)->insert("c#");
    EXPECT_EQ(options.choiceBox(3)->text(), "ab");
}

TEST(QuestionnaireEditor, AFailedSaveIsReportedWithPathAndReasonAndWritesNothing)
{
    TempDirectory dir;
    const std::string missing = dir.file("gone/own.qls");
    PathAnswers paths({q(missing)});
    ModalAnswers answers;
    Editor e;
    e.setPathChooser(paths.chooser());
    e.show();
    type(e, Editor::Category1LabelId, "Fruit");
    e.save();
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_EQ(answers.seen[0], "warning: " + QString(itemCountWarning));
    EXPECT_TRUE(answers.seen[1].contains(q("cannot write " + missing + ": No such file or directory")))
        << answers.seen[1].toStdString();
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_EQ(shown(e, Editor::FileNameId), "") << "the file name stays that of the last file written";
}

TEST(QuestionnaireEditor, AFailedSaveLeavesTheEarlierFileAsItWas)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into a read-only directory";
    TempDirectory locked;
    locked.write("own.qls", "earlier");
    std::filesystem::permissions(locked.path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    PathAnswers again({q(locked.file("own.qls"))});
    ModalAnswers answers;
    Editor e;
    e.setPathChooser(again.chooser());
    e.show();
    e.save();
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_TRUE(answers.seen[1].contains(q("cannot write " + locked.file("own.qls")))) << answers.seen[1].toStdString();
    EXPECT_EQ(locked.read("own.qls"), "earlier");
}

TEST(QuestionnaireEditor, OpenSaysWhatItCouldNotReadAndShowsTheReadersProblems)
{
    TempDirectory dir;
    dir.write("short.qls", "A#\r\nB#\r\n3\r\n1\r\nfirst#\r\n2\r\n");
    PathAnswers paths({q(dir.file("none.qls")), q(dir.file("short.qls")), QString()});
    ModalAnswers answers;
    Editor e;
    e.setPathChooser(paths.chooser());
    e.show();
    type(e, Editor::Category1LabelId, "Kept");
    typePageText(e, {"on screen"});

    e.openDocument();
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_EQ(answers.seen[0], "warning: " + QString(unsavedChangesWarning));
    EXPECT_TRUE(answers.seen[1].contains(q("cannot read " + dir.file("none.qls") + ": No such file or directory")))
        << answers.seen[1].toStdString();
    EXPECT_EQ(box(e, Editor::Category1LabelId)->text(), "Kept");
    EXPECT_EQ(pageText(e)->toPlainText(), "on screen");
    EXPECT_EQ(shown(e, Editor::FileNameId), "");

    answers.seen.clear();
    e.openDocument();  // now the overwrite warning comes first
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_EQ(answers.seen[0], "warning: " + QString(overwriteWarning));
    EXPECT_TRUE(answers.seen[1].contains("short.qls: the file ends before")) << answers.seen[1].toStdString();
    EXPECT_EQ(box(e, Editor::Category1LabelId)->text(), "A");
    EXPECT_EQ(shown(e, Editor::PageTotalId), " out of 3");
    EXPECT_TRUE(e.control<QRadioButton>(Editor::TextTypeId)->isChecked());

    // Cancelled in the file dialog: the document stays.
    answers.seen.clear();
    e.openDocument();
    EXPECT_EQ(box(e, Editor::Category1LabelId)->text(), "A");
    EXPECT_EQ(answers.seen, (std::vector<QString>{"warning: " + QString(overwriteWarning)}));
}

TEST(QuestionnaireEditor, PageCommandsTellWhatTheyCannotDo)
{
    ModalAnswers answers;
    Editor e;
    e.show();
    click(e, Editor::RemovePageId);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_TRUE(answers.seen[0].contains("only page")) << answers.seen[0].toStdString();
    EXPECT_EQ(shown(e, Editor::PageTotalId), " out of 1");

    answers.seen.clear();
    for (int i = 1; i < maxQuestionnairePages; ++i)
        click(e, Editor::AddPageId);
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_EQ(shown(e, Editor::PageTotalId), " out of 60");
    click(e, Editor::AddPageId);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_TRUE(answers.seen[0].contains("no room")) << answers.seen[0].toStdString();
    EXPECT_EQ(shown(e, Editor::PageNumberId), "Page 60");

    // Remove: cancelled, the page before becomes current all the same.
    answers.seen.clear();
    answers.warningAnswer = WarningDialog::Cancel;
    click(e, Editor::RemovePageId);
    EXPECT_EQ(answers.seen, (std::vector<QString>{"warning: " + QString(removePageQuestion)}));
    EXPECT_EQ(shown(e, Editor::PageNumberId), "Page 59");
    EXPECT_EQ(shown(e, Editor::PageTotalId), " out of 60");
    answers.warningAnswer = WarningDialog::Continue;
    click(e, Editor::RemovePageId);
    EXPECT_EQ(shown(e, Editor::PageNumberId), "Page 58");
    EXPECT_EQ(shown(e, Editor::PageTotalId), " out of 59");

    // New: the first of the editor asks only about the unsaved pages.
    answers.seen.clear();
    e.newDocument();
    EXPECT_EQ(answers.seen, (std::vector<QString>{"warning: " + QString(unsavedChangesWarning)}));
    answers.seen.clear();
    EXPECT_EQ(shown(e, Editor::PageTotalId), " out of 1");
    answers.warningAnswer = WarningDialog::Cancel;
    click(e, Editor::AddPageId);
    e.newDocument();
    EXPECT_EQ(answers.seen, (std::vector<QString>{"warning: " + QString(overwriteWarning)}));
    EXPECT_EQ(shown(e, Editor::PageTotalId), " out of 2");
}

TEST(QuestionnaireEditor, MovesCarryTheWholePageAndTheListOptionsKeepTheirBoxes)
{
    ModalAnswers answers;
    Editor e;
    e.show();
    typePageText(e, {"first"});
    click(e, Editor::AddPageId);
    click(e, Editor::ListTypeId);
    click(e, Editor::Category2ButtonId);
    typePageText(e, {"second"});
    std::vector<QString> twelve;
    for (int k = 1; k <= 12; ++k)
        twelve.push_back(QString("choice%1").arg(k));
    answers.listOptions = [&](ListOptionsDialog& d) { typeChoices(d, twelve); };
    click(e, Editor::EditChoicesId);

    click(e, Editor::MoveFrontId);
    EXPECT_EQ(shown(e, Editor::PageNumberId), "Page 1");
    EXPECT_EQ(pageText(e)->toPlainText(), "second");
    EXPECT_TRUE(e.control<QRadioButton>(Editor::ListTypeId)->isChecked());
    EXPECT_TRUE(e.control<QRadioButton>(Editor::Category2ButtonId)->isChecked());
    click(e, Editor::MoveFrontId);  // already first: nothing
    EXPECT_EQ(shown(e, Editor::PageNumberId), "Page 1");

    // Confirmed unchanged, twelve choices come back each in its own box.
    std::vector<QString> seenInBoxes;
    answers.listOptions = [&](ListOptionsDialog& d) {
        for (int k = 0; k < maxChoices; ++k)
            seenInBoxes.push_back(d.choiceBox(k)->text());
        d.control<QPushButton>(ListOptionsDialog::OkId)->click();
    };
    click(e, Editor::EditChoicesId);
    twelve.resize(maxChoices);
    EXPECT_EQ(seenInBoxes, twelve);
    EXPECT_EQ(listedChoices(e.editing().document().pages[0]).size(), 12u);

    // Cancel changes nothing.
    answers.listOptions = [](ListOptionsDialog& d) {
        d.choiceBox(0)->clear();
        d.control<QPushButton>(ListOptionsDialog::CancelId)->click();
    };
    click(e, Editor::EditChoicesId);
    EXPECT_EQ(e.editing().document().pages[0].choices[0], "choice1");

    click(e, Editor::MoveBackId);
    EXPECT_EQ(shown(e, Editor::PageNumberId), "Page 2");
    EXPECT_EQ(e.editing().document().pages[1].choiceCount, 12);
    EXPECT_EQ(e.editing().document().pages[0].text, "first");
}

TEST(QuestionnaireEditor, PreviewShowsThePageInTheParticipantsDialog)
{
    ModalAnswers answers;
    Editor e;
    e.show();
    typePageText(e, {"Welcome", "here"});
    click(e, Editor::PreviewId);
    click(e, Editor::TextTypeId);
    click(e, Editor::PreviewId);
    click(e, Editor::RadioTypeId);
    type(e, Editor::RadioItem1Id, "coffee");
    type(e, Editor::RadioItem2Id, "tea");
    click(e, Editor::PreviewId);
    click(e, Editor::ListTypeId);
    answers.listOptions = [](ListOptionsDialog& d) { typeChoices(d, {"x", "", "z"}); };
    click(e, Editor::EditChoicesId);
    click(e, Editor::PreviewId);
    click(e, Editor::ExperimenterTypeId);
    click(e, Editor::PreviewId);
    EXPECT_EQ(answers.seen, (std::vector<QString>{
                                "instruction: Welcome\nhere",
                                "text: Welcome\nhere|",
                                "radio: Welcome\nhere|coffee|tea",
                                "list options",
                                "list: Welcome\nhere|x|z",
                                "instruction: " + QString(experimenterItemPreview),
                            }));
    EXPECT_EQ(pageText(e)->toPlainText(), "Welcome\nhere") << "the page is shown again";
}

TEST(QuestionnaireEditor, EnterAnywhereIsExitAndCtrlEnterBreaksTheLine)
{
    ModalAnswers answers;
    answers.warningAnswer = WarningDialog::Cancel;
    Editor e;
    e.show();
    QTest::keyClick(pageText(e), Qt::Key_Return);
    QTest::keyClick(box(e, Editor::Category1LabelId), Qt::Key_Return);
    QTest::keyClick(e.control<QPushButton>(Editor::AddPageId), Qt::Key_Enter);
    EXPECT_EQ(answers.seen, std::vector<QString>(3, "warning: " + QString(exitWarning)));
    EXPECT_TRUE(e.isVisible());
    EXPECT_EQ(pageText(e)->toPlainText(), "");
    EXPECT_EQ(shown(e, Editor::PageTotalId), " out of 1") << "Enter on a button does not press it";

    answers.warningAnswer = WarningDialog::Continue;
    click(e, Editor::ExitId);
    EXPECT_FALSE(e.isVisible());
    EXPECT_EQ(e.result(), QDialog::Accepted);

    Editor escaped;
    escaped.show();
    answers.seen.clear();
    QTest::keyClick(pageText(escaped), Qt::Key_Escape);
    EXPECT_FALSE(escaped.isVisible());
    EXPECT_TRUE(answers.seen.empty());
}
