// The results report, on the offscreen platform.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "task/ui/report_dialog.h"
#include "task/score_table.h"
#include "ui/layout_check.h"

TEST(ReportDialog, IsLaidOutAsItsTable)
{
    ReportDialog dialog;
    expectLaidOutAsTable(dialog, ReportDialog::dialogTemplate());
    EXPECT_EQ(dialog.windowTitle(), "TRUV Report");
    EXPECT_EQ(dialog.font().pointSize(), 8);
    const std::pair<int, const char*> fixed[] = {
        {ReportDialog::SubjectCaptionId, "Subject:"},
        {ReportDialog::QavId, "QAV"},
        {ReportDialog::TaskNameId, "Category Judgment Task"},
        {ReportDialog::MeanLatencyId, "Mean Latency"},
        {ReportDialog::ErrorRateId, "Error Rate"},
        {ReportDialog::NId, "N"},
        {ReportDialog::NoteId,
         "Note: Latencies greater than 3000 ms were recoded as 3000 ms, and latencies less than 300 ms were "
         "recoded as 300 ms.  First two trials of each block were excluded.  "},
    };
    for (const auto& [id, text] : fixed)
        EXPECT_EQ(dialog.control<QLabel>(id)->text(), text) << id;
    for (const int id : {ReportDialog::MeanLatencyId, ReportDialog::ErrorRateId})
        EXPECT_EQ(dialog.control<QLabel>(id)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    auto* ok = dialog.control<QPushButton>(ReportDialog::OkId);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
}

TEST(ReportDialog, ShowsTheColumnsLineBesideLine)
{
    TrialResults results{};
    for (int t = 0; t < 10; ++t)
        results[t] = {t + 1, 0, 0, 1, {}, 700, 0, "l"};
    ScoreTable scores;
    scores.scoreBlock(1, 1, results, 10, 10, {"Caf\xe9", "Tools", "Mine", "Theirs"});
    scores.scoreBlock(2, 2, results, 10, 10, {"Fruit", "Tools", "Mine", "Theirs"});
    scores.finish(2);

    ReportDialog dialog;
    dialog.setReport(42, scores.leftColumnText(), scores.rightColumnText());
    EXPECT_EQ(dialog.control<QLabel>(ReportDialog::SubjectId)->text(), "42");
    auto* left = dialog.control<QLabel>(ReportDialog::LeftColumnId);
    auto* right = dialog.control<QLabel>(ReportDialog::RightColumnId);
    const QStringList leftLines = left->text().split('\n');
    const QStringList rightLines = right->text().split('\n');
    ASSERT_EQ(leftLines.size(), 7);  // six lines and the end of the last
    ASSERT_EQ(rightLines.size(), 7);
    EXPECT_EQ(leftLines[0], QString::fromUtf8("1   Caf\u00e9+Mine  or  Tools+Theirs"));
    EXPECT_EQ(rightLines[0], "700        0%        8");
    EXPECT_EQ(leftLines[4], "     Fruit+Mine  or  Tools+Theirs");
    EXPECT_EQ(rightLines[4], "700        0%        8");
    EXPECT_TRUE(leftLines[2].isEmpty() && rightLines[2].isEmpty());

    // Lines pair up only if neither column wraps and both start at one top with one
    // line spacing.
    for (QLabel* column : {left, right}) {
        EXPECT_FALSE(column->wordWrap());
        EXPECT_EQ(column->alignment() & Qt::AlignVertical_Mask, Qt::AlignTop);
    }
    EXPECT_EQ(left->y(), right->y());
    EXPECT_EQ(left->font(), right->font());
    EXPECT_EQ(left->fontMetrics().lineSpacing(), right->fontMetrics().lineSpacing());
}

TEST(ReportDialog, OkEnterAndEscapeCloseIt)
{
    const std::pair<const char*, std::function<void(ReportDialog&)>> cases[] = {
        {"OK", [](ReportDialog& d) { d.control<QPushButton>(ReportDialog::OkId)->click(); }},
        {"Enter", [](ReportDialog& d) { QTest::keyClick(&d, Qt::Key_Return); }},
        {"Escape", [](ReportDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
    };
    for (const auto& [what, act] : cases) {
        ReportDialog dialog;
        dialog.show();
        act(dialog);
        EXPECT_FALSE(dialog.isVisible()) << what;
    }
}
