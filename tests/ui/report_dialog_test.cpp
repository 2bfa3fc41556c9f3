// The results report, on the offscreen platform.
#include <QGroupBox>
#include <QImage>
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

// The right column is drawn as a table, a cell per number under its heading: the N
// column stands still whatever the width of the error rate beside it (27% and 5%),
// each row stands beside its line of the left column, and the lines keep their texts.
TEST(ReportDialog, TheNColumnStandsStillAndEachRowBesideItsLine)
{
    ReportDialog dialog;
    const char* const right = "716        27%        18\n716        5%        18\n\n716        100%        18\n\n";
    dialog.setReport(3,
                     "1   Vehicles+Winter  or  Clothing+Summer\n     Vehicles+Summer  or  Clothing+Winter\n\n"
                     "2   Vehicles+Personal  or  Clothing+Unfamiliar\n\n",
                     right);
    auto* column = dialog.control<QLabel>(ReportDialog::RightColumnId);
    EXPECT_EQ(column->text(), right);
    const QImage shot = dialog.grab().toImage();
    const auto inked = [&](int x, int y) { return qGray(shot.pixel(x, y)) < 128; };

    // The rows of a control's box that hold ink, as bands of (top, bottom).
    const auto bands = [&](int id) {
        const QRect box = dialog.control(id)->geometry();
        std::vector<std::pair<int, int>> found;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            bool any = false;
            for (int x = box.left(); x <= box.right() && !any; ++x)
                any = inked(x, y);
            if (any && (found.empty() || found.back().second != y - 1))
                found.push_back({y, y});
            else if (any)
                found.back().second = y;
        }
        return found;
    };
    const auto left = bands(ReportDialog::LeftColumnId);
    const auto rows = bands(ReportDialog::RightColumnId);
    ASSERT_EQ(left.size(), 3u);
    ASSERT_EQ(rows.size(), 3u);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        EXPECT_GE(rows[k].first, left[k].first) << "row " << k;
        EXPECT_LE(rows[k].second, left[k].second) << "row " << k;
    }

    // The rightmost ink of each row: the N cell's right edge.
    const QRect box = column->geometry();
    std::vector<int> ends;
    for (const auto& [top, bottom] : rows) {
        int last = -1;
        for (int x = box.left(); x <= box.right(); ++x)
            for (int y = top; y <= bottom; ++y)
                last = inked(x, y) ? x : last;
        ends.push_back(last);
    }
    EXPECT_EQ(ends[0], ends[1]);
    EXPECT_EQ(ends[0], ends[2]);
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
