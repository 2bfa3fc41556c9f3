// The next-block and block feedback dialogs, on the offscreen platform.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "task/between_block.h"
#include "task/ui/block_feedback_dialog.h"
#include "task/ui/next_block_dialog.h"
#include "ui/layout_check.h"

namespace {

Qt::Alignment horizontal(const QLabel* label) { return label->alignment() & Qt::AlignHorizontal_Mask; }

// Enter, OK and Escape each close the dialog.
template <typename Dialog>
void expectEveryWayCloses()
{
    const std::pair<const char*, std::function<void(Dialog&)>> cases[] = {
        {"Enter", [](Dialog& d) { QTest::keyClick(&d, Qt::Key_Return); }},
        {"OK", [](Dialog& d) { d.template control<QPushButton>(Dialog::OkId)->click(); }},
        {"Escape", [](Dialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
    };
    for (const auto& [what, act] : cases) {
        Dialog dialog;
        dialog.show();
        act(dialog);
        EXPECT_FALSE(dialog.isVisible()) << what;
    }
}

}  // namespace

TEST(NextBlockDialog, IsLaidOutAsItsTable)
{
    NextBlockDialog dialog;
    expectLaidOutAsTable(dialog, NextBlockDialog::dialogTemplate());
    EXPECT_TRUE(dialog.windowTitle().isEmpty());
    EXPECT_EQ(dialog.font().pointSize(), 14);
    const std::pair<int, const char*> fixed[] = {
        {NextBlockDialog::IntroId,
         "For the next block of category judgements, you will be categorizing words into the following categories:"},
        {NextBlockDialog::FirstOrId, "or"},
        {NextBlockDialog::ReminderId, "REMINDER:"},
        {NextBlockDialog::ReminderTextId, "The next block of category judgments is for "},
    };
    for (const auto& [id, text] : fixed)
        EXPECT_EQ(dialog.control<QLabel>(id)->text(), text);
    for (const int id :
         {NextBlockDialog::FirstLeftId, NextBlockDialog::FirstRightId, NextBlockDialog::ConnectorId,
          NextBlockDialog::SecondLeftId, NextBlockDialog::LowerConnectorId, NextBlockDialog::SecondRightId})
        EXPECT_EQ(horizontal(dialog.control<QLabel>(id)), Qt::AlignHCenter) << id;
    EXPECT_EQ(horizontal(dialog.control<QLabel>(NextBlockDialog::StatusId)), Qt::AlignLeft);
    auto* ok = dialog.control<QPushButton>(NextBlockDialog::OkId);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
}

TEST(NextBlockDialog, ShowsTheTextsInTheirControls)
{
    NextBlockDialog dialog;
    dialog.setTexts(nextBlockTexts(BlockInHalf::CombinedRecorded, {"Fruit", "Tools", "Caf\xe9", "Bad"}));
    const std::pair<int, QString> shown[] = {
        {NextBlockDialog::FirstLeftId, "Fruit"},   {NextBlockDialog::FirstRightId, "Tools"},
        {NextBlockDialog::ConnectorId, "and"},     {NextBlockDialog::SecondLeftId, QString::fromUtf8("Caf\u00e9")},
        {NextBlockDialog::LowerConnectorId, "or"}, {NextBlockDialog::SecondRightId, "Bad"},
        {NextBlockDialog::StatusId, "real."},
    };
    for (const auto& [id, text] : shown)
        EXPECT_EQ(dialog.control<QLabel>(id)->text(), text) << id;

    dialog.setTexts(nextBlockTexts(BlockInHalf::PairTwo, {"Fruit", "Tools", "Good", "Bad"}));
    EXPECT_EQ(dialog.control<QLabel>(NextBlockDialog::FirstLeftId)->text(), "Good");
    EXPECT_TRUE(dialog.control<QLabel>(NextBlockDialog::ConnectorId)->text().isEmpty());
    EXPECT_TRUE(dialog.control<QLabel>(NextBlockDialog::SecondLeftId)->text().isEmpty());
    EXPECT_EQ(dialog.control<QLabel>(NextBlockDialog::StatusId)->text(), "practice.");
}

TEST(NextBlockDialog, EnterOkAndEscapeCloseIt) { expectEveryWayCloses<NextBlockDialog>(); }

TEST(BlockFeedbackDialog, IsLaidOutAsItsTableAndShowsTheTexts)
{
    BlockFeedbackDialog dialog;
    expectLaidOutAsTable(dialog, BlockFeedbackDialog::dialogTemplate());
    EXPECT_TRUE(dialog.windowTitle().isEmpty());
    EXPECT_EQ(dialog.font().pointSize(), 14);
    EXPECT_TRUE(dialog.control<QGroupBox>(BlockFeedbackDialog::FrameId)->title().isEmpty());
    const std::pair<int, const char*> fixed[] = {
        {BlockFeedbackDialog::TimeCaptionId, "The total time to complete the entire block was:"},
        {BlockFeedbackDialog::SecondsId, "seconds"},
        {BlockFeedbackDialog::PercentCaptionId, "The percent of items you categorized correctly was:"},
        {BlockFeedbackDialog::PercentSignId, "%"},
    };
    for (const auto& [id, text] : fixed)
        EXPECT_EQ(dialog.control<QLabel>(id)->text(), text);
    auto* time = dialog.control<QLabel>(BlockFeedbackDialog::TimeId);
    auto* percent = dialog.control<QLabel>(BlockFeedbackDialog::PercentId);
    EXPECT_EQ(horizontal(time), Qt::AlignRight);
    EXPECT_EQ(horizontal(percent), Qt::AlignRight);
    auto* ok = dialog.control<QPushButton>(BlockFeedbackDialog::OkId);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());

    dialog.setTexts(blockTimeText(17100), percentText(95.83));
    EXPECT_EQ(time->text(), "17.1");
    EXPECT_EQ(percent->text(), "95");
}

TEST(BlockFeedbackDialog, EnterOkAndEscapeCloseIt) { expectEveryWayCloses<BlockFeedbackDialog>(); }
