// The questionnaire's page dialogs and their screens, on the offscreen platform.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "common/ui/warning_dialog.h"
#include "questionnaire/ui/qt_questionnaire_screens.h"
#include "ui/layout_check.h"

namespace {

template <typename Dialog>
void expectPageDialogBasics(Dialog& dialog, int okId, int noAnswerId)
{
    expectLaidOutAsTable(dialog, Dialog::dialogTemplate());
    EXPECT_TRUE(dialog.windowTitle().isEmpty());
    EXPECT_EQ(dialog.font().pointSize(), 8);
    auto* ok = dialog.template control<QPushButton>(okId);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(dialog.template control<QCheckBox>(noAnswerId)->text(), "no answer");
}

// Runs f once the next modal dialog is open, on that dialog.
void whenModalOpens(const std::function<void(QWidget*)>& f)
{
    QTimer::singleShot(0, [f] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        f(modal);
    });
}

}  // namespace

TEST(QuestionDialogs, AreLaidOutAsTheirTables)
{
    TextQuestionDialog text;
    expectPageDialogBasics(text, TextQuestionDialog::OkId, TextQuestionDialog::NoAnswerId);
    EXPECT_EQ(text.control<QLineEdit>(TextQuestionDialog::AnswerId)->maxLength(), answerCapacity);
    EXPECT_TRUE(text.control<QLabel>(TextQuestionDialog::MessageId)->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(text.control<QLabel>(TextQuestionDialog::QuestionId)->wordWrap());
    EXPECT_TRUE(text.control<QGroupBox>(TextQuestionDialog::FrameId)->title().isEmpty());

    RadioQuestionDialog radio;
    expectPageDialogBasics(radio, RadioQuestionDialog::OkId, RadioQuestionDialog::NoAnswerId);
    EXPECT_EQ(radio.control<QLabel>(RadioQuestionDialog::OrId)->text(), "or");
    EXPECT_TRUE(radio.control<QRadioButton>(RadioQuestionDialog::FirstButtonId)->text().isEmpty());
    EXPECT_EQ(radio.control<QRadioButton>(RadioQuestionDialog::FirstButtonId)->group(),
              radio.control<QRadioButton>(RadioQuestionDialog::SecondButtonId)->group());
    EXPECT_TRUE(radio.control<QLabel>(RadioQuestionDialog::MessageId)->alignment() & Qt::AlignLeft);

    ListQuestionDialog list;
    expectPageDialogBasics(list, ListQuestionDialog::OkId, ListQuestionDialog::NoAnswerId);
    EXPECT_EQ(list.control<QListWidget>(ListQuestionDialog::ListId)->selectionMode(),
              QAbstractItemView::SingleSelection);
    EXPECT_TRUE(list.control<QLabel>(ListQuestionDialog::MessageId)->alignment() & Qt::AlignHCenter);
}

TEST(TextQuestionDialog, OkNeedsTwoCharactersOrNoAnswer)
{
    TextQuestionDialog dialog;
    auto* answer = dialog.control<QLineEdit>(TextQuestionDialog::AnswerId);
    auto* noAnswer = dialog.control<QCheckBox>(TextQuestionDialog::NoAnswerId);
    dialog.setPage("Your home town?\r\n(the city)");
    EXPECT_EQ(dialog.control<QLabel>(TextQuestionDialog::QuestionId)->text(), "Your home town?\n(the city)");
    dialog.show();

    for (const char* refused : {"", "B"}) {
        answer->setText(refused);
        QTest::keyClick(answer, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible()) << refused;
        EXPECT_EQ(dialog.message(), "PLEASE EITHER PROVIDE AN ANSWER, OR SELECT \"NO ANSWER\".");
    }

    // The box holds 15 single-byte characters; they come back in that form.
    answer->setText("");
    answer->insert(QString::fromUtf8("Caf\xC3\xA9 de la Paix, Paris"));
    dialog.control<QPushButton>(TextQuestionDialog::OkId)->click();
    EXPECT_FALSE(dialog.isVisible());
    TextReply reply = dialog.reply();
    EXPECT_TRUE(reply.closedWithOk);
    EXPECT_FALSE(reply.noAnswer);
    EXPECT_EQ(reply.answer, "Caf\xe9 de la Paix");

    // The next page starts afresh; "no answer" is enough, and the answer is kept
    // for the runner to ignore.
    dialog.setPage("Next?");
    EXPECT_TRUE(answer->text().isEmpty());
    EXPECT_FALSE(noAnswer->isChecked());
    EXPECT_TRUE(dialog.message().isEmpty());
    dialog.show();
    answer->setText("x");
    noAnswer->setChecked(true);
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    reply = dialog.reply();
    EXPECT_TRUE(reply.closedWithOk);
    EXPECT_TRUE(reply.noAnswer);

    dialog.setPage("Escaped?");
    dialog.show();
    answer->setText("Boston");
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.reply().closedWithOk);
}

TEST(RadioQuestionDialog, OkNeedsASelectionOrNoAnswer)
{
    RadioQuestionDialog dialog;
    auto* first = dialog.control<QRadioButton>(RadioQuestionDialog::FirstButtonId);
    auto* second = dialog.control<QRadioButton>(RadioQuestionDialog::SecondButtonId);
    auto* ok = dialog.control<QPushButton>(RadioQuestionDialog::OkId);
    dialog.setPage("Cat or dog?", "cat person", "dog person");
    EXPECT_EQ(dialog.control<QLabel>(RadioQuestionDialog::FirstLabelId)->text(), "cat person");
    EXPECT_EQ(dialog.control<QLabel>(RadioQuestionDialog::SecondLabelId)->text(), "dog person");
    EXPECT_EQ(dialog.selection(), -1);
    dialog.show();

    ok->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.message(), "PLEASE EITHER SELECT AN ANSWER, OR SELECT \"NO ANSWER\".");
    QTest::mouseClick(second, Qt::LeftButton);
    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_FALSE(second->isChecked());
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    RadioReply reply = dialog.reply();
    EXPECT_TRUE(reply.closedWithOk);
    EXPECT_EQ(reply.selection, 0);

    // Reused for the next page, it starts with neither selected.
    dialog.setPage("Tea or coffee?", "tea", "coffee");
    EXPECT_EQ(dialog.selection(), -1);
    EXPECT_TRUE(dialog.message().isEmpty());
    dialog.show();
    second->click();
    dialog.control<QCheckBox>(RadioQuestionDialog::NoAnswerId)->setChecked(true);
    ok->click();
    reply = dialog.reply();
    EXPECT_TRUE(reply.closedWithOk);
    EXPECT_TRUE(reply.noAnswer);
    EXPECT_EQ(reply.selection, 1);

    dialog.setPage("Left?", "left", "right");
    dialog.show();
    first->click();
    dialog.close();
    EXPECT_FALSE(dialog.reply().closedWithOk);
}

TEST(ListQuestionDialog, ShowsEveryChoiceInOrderAndNeedsASelectionOrNoAnswer)
{
    std::vector<std::string> choices;
    for (int i = 18; i >= 1; --i)
        choices.push_back("choice number " + std::to_string(i));
    ListQuestionDialog dialog;
    auto* list = dialog.control<QListWidget>(ListQuestionDialog::ListId);
    dialog.setPage("Pick one", choices);
    dialog.show();
    ASSERT_EQ(list->count(), 18);
    const QRect visible = list->viewport()->rect();
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(list->item(i)->text().toStdString(), choices[static_cast<std::size_t>(i)]);
        EXPECT_TRUE(visible.contains(list->visualItemRect(list->item(i)))) << i;
    }
    // Nothing is chosen for the participant, also after the list takes the focus.
    EXPECT_EQ(dialog.selection(), -1);
    list->setFocus();
    EXPECT_EQ(dialog.selection(), -1);

    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.message(), "PLEASE SELECT AN ITEM FROM THE LIST, OR SELECT \"NO ANSWER\".");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(13)).center());
    EXPECT_EQ(dialog.selection(), 13);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    ListReply reply = dialog.reply();
    EXPECT_TRUE(reply.closedWithOk);
    EXPECT_FALSE(reply.noAnswer);
    EXPECT_EQ(reply.selection, 13);

    // The next page opens with nothing selected, whatever the last one chose.
    dialog.setPage("Flavour?", {"Chocolate", "choice number 5"});
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(dialog.selection(), -1);
    EXPECT_TRUE(dialog.message().isEmpty());
    dialog.show();
    dialog.control<QCheckBox>(ListQuestionDialog::NoAnswerId)->setChecked(true);
    dialog.control<QPushButton>(ListQuestionDialog::OkId)->click();
    reply = dialog.reply();
    EXPECT_TRUE(reply.closedWithOk);
    EXPECT_TRUE(reply.noAnswer);

    dialog.setPage("Escaped?", {"a", "b"});
    dialog.show();
    list->setCurrentRow(1);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.reply().closedWithOk);
}

TEST(QtQuestionnaireScreens, AskModallyAndShowTheWarning)
{
    QtQuestionnaireScreens screens;

    whenModalOpens([](QWidget* modal) {
        auto* dialog = qobject_cast<TextQuestionDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::keyClicks(dialog->control<QLineEdit>(TextQuestionDialog::AnswerId), "Boston");
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    const TextReply text = screens.askText("Town?");
    EXPECT_TRUE(text.closedWithOk);
    EXPECT_EQ(text.answer, "Boston");

    whenModalOpens([](QWidget* modal) {
        auto* dialog = qobject_cast<RadioQuestionDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->control<QRadioButton>(RadioQuestionDialog::SecondButtonId)->click();
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    EXPECT_EQ(screens.askRadio("Which?", "tea", "coffee").selection, 1);

    whenModalOpens([](QWidget* modal) {
        auto* dialog = qobject_cast<ListQuestionDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_FALSE(screens.askList("Which?", {"a", "b"}).closedWithOk);

    QString shown;
    whenModalOpens([&shown](QWidget* modal) {
        auto* dialog = qobject_cast<WarningDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        shown = dialog->control<QLabel>(WarningDialog::MessageId)->text();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    screens.showWarning("Cannot use *.qls file");
    EXPECT_EQ(shown, "Cannot use *.qls file");
}
