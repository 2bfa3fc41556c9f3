// The word list review dialog and its modal screen, on the offscreen platform.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "files/ui/list_review_dialog.h"
#include "files/ui/qt_review_screens.h"
#include "ui/layout_check.h"

#include "ui/when_shown.h"

namespace {

Entries makeEntries(const std::vector<std::string>& words)
{
    Entries entries{};
    for (std::size_t i = 0; i < words.size(); ++i)
        entries[i].assign(words[i]);
    return entries;
}

// "Caf\xe9" is single-byte text, as the files hold it.
const Entries fruit = makeEntries({"Caf\xe9", "apple", "", "pear", "plum", "cherry", "fig", "lime"});
const Entries tools = makeEntries({"Tools", "hammer", "saw", "drill", "chisel"});

ListReviewState fruitAndTools() { return ListReviewState(fruit, 8, tools, 5, wordingUnfamiliar); }

QString labelText(const ListReviewDialog& dialog, int id) { return dialog.control<QLabel>(id)->text(); }

// A real double-click: a click, then the double-click event at the same place.
void doubleClick(ListReviewDialog& dialog, int list, int line)
{
    QListWidget* box = dialog.listBox(list);
    const QRect rect = box->visualItemRect(box->item(line));
    ASSERT_TRUE(box->viewport()->rect().contains(rect)) << "line " << line << " is not in view";
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, rect.center());
}

QStringList lines(const QListWidget* box)
{
    QStringList shown;
    for (int i = 0; i < box->count(); ++i)
        shown << box->item(i)->text();
    return shown;
}

}  // namespace

TEST(ListReviewDialog, IsLaidOutAsItsTableAndShowsBothLists)
{
    ListReviewDialog dialog(fruitAndTools());
    expectLaidOutAsTable(dialog, ListReviewDialog::dialogTemplate());
    EXPECT_TRUE(dialog.windowTitle().isEmpty());
    EXPECT_EQ(dialog.font().pointSize(), 10);

    EXPECT_EQ(labelText(dialog, ListReviewDialog::InstructionId),
              fromSingleByte(reviewInstructionText("Caf\xe9", "Tools", wordingUnfamiliar)));
    EXPECT_TRUE(dialog.control<QLabel>(ListReviewDialog::InstructionId)->wordWrap());
    const std::pair<int, QString> texts[] = {
        {ListReviewDialog::LabelAId, QString::fromUtf8("Caf\u00e9")},
        {ListReviewDialog::LabelBId, "Tools"},
        {ListReviewDialog::CountCaptionId, "number of words in list:"},
        {ListReviewDialog::CountAId, "7"},
        {ListReviewDialog::CountBId, "4"},
    };
    for (const auto& [id, text] : texts)
        EXPECT_EQ(labelText(dialog, id), text) << id;
    auto* ok = dialog.control<QPushButton>(ListReviewDialog::OkId);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());

    // Eighteen lines each, in entry order, empty entries as empty lines.
    QStringList a{"apple", "", "pear", "plum", "cherry", "fig", "lime"};
    a.resize(maxItems);
    EXPECT_EQ(lines(dialog.listBox(0)), a);
    EXPECT_EQ(lines(dialog.listBox(1)).first(5), (QStringList{"hammer", "saw", "drill", "chisel", ""}));
}

TEST(ListReviewDialog, ADoubleClickEmptiesItsLineAndUpdatesTheCount)
{
    ListReviewDialog dialog(fruitAndTools());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QListWidget* a = dialog.listBox(0);

    doubleClick(dialog, 0, 3);  // plum
    EXPECT_TRUE(a->item(3)->text().isEmpty());
    EXPECT_EQ(a->item(4)->text(), "cherry");
    EXPECT_EQ(labelText(dialog, ListReviewDialog::CountAId), "6");

    // Refused: an empty line, and list B with four words.
    doubleClick(dialog, 0, 1);
    doubleClick(dialog, 1, 0);
    EXPECT_EQ(labelText(dialog, ListReviewDialog::CountAId), "6");
    EXPECT_EQ(dialog.listBox(1)->item(0)->text(), "hammer");
    EXPECT_EQ(labelText(dialog, ListReviewDialog::CountBId), "4");

    doubleClick(dialog, 0, 17);  // the last line is in view without scrolling
    EXPECT_EQ(dialog.state().entries(0), makeEntries({"Caf\xe9", "apple", "", "pear", "", "cherry", "fig", "lime"}));
}

TEST(ListReviewDialog, OkReturnsTheEntriesAndEscapeNothing)
{
    QtReviewScreens screens;
    whenShown<ListReviewDialog>([](ListReviewDialog& d) {
        emit d.listBox(0)->itemDoubleClicked(d.listBox(0)->item(0));
        d.control<QPushButton>(ListReviewDialog::OkId)->click();
    });
    const auto edited = screens.reviewLists(fruitAndTools());
    ASSERT_TRUE(edited.has_value());
    EXPECT_EQ(edited->first, makeEntries({"Caf\xe9", "", "", "pear", "plum", "cherry", "fig", "lime"}));
    EXPECT_EQ(edited->second, tools);

    const std::pair<const char*, std::function<void(ListReviewDialog&)>> dismissals[] = {
        {"Escape", [](ListReviewDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"close box", [](ListReviewDialog& d) { d.close(); }},
    };
    for (const auto& [what, dismiss] : dismissals) {
        whenShown<ListReviewDialog>([dismiss](ListReviewDialog& d) {
            emit d.listBox(0)->itemDoubleClicked(d.listBox(0)->item(0));
            dismiss(d);
        });
        EXPECT_FALSE(screens.reviewLists(fruitAndTools()).has_value()) << what;
    }
}
