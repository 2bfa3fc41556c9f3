// The dialog that shows one page of text, on the offscreen platform.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "instructions/ui/instruction_page_dialog.h"
#include "ui/layout_check.h"

TEST(InstructionPageDialog, IsLaidOutAsItsTable)
{
    InstructionPageDialog dialog;
    expectLaidOutAsTable(dialog, InstructionPageDialog::dialogTemplate());
    EXPECT_TRUE(dialog.windowTitle().isEmpty());
    EXPECT_EQ(dialog.font().pointSize(), 8);
    EXPECT_EQ(dialog.control<QLabel>(InstructionPageDialog::PromptId)->text(),
              "Click on OK or press \"enter\" to continue.");
    auto* ok = dialog.control<QPushButton>(InstructionPageDialog::OkId);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    auto* text = dialog.control<QLabel>(InstructionPageDialog::TextId);
    EXPECT_TRUE(text->wordWrap());
    EXPECT_TRUE(text->alignment() & Qt::AlignLeft);
    EXPECT_TRUE(text->alignment() & Qt::AlignTop);
    EXPECT_TRUE(text->text().isEmpty());
}

// The prompt under every page is shown whole: one line inside its rectangle, which
// stays inside the dialog and clear of the OK button.
TEST(InstructionPageDialog, ThePromptFitsItsRectangleOnOneLine)
{
    InstructionPageDialog dialog;
    dialog.show();
    auto* prompt = dialog.control<QLabel>(InstructionPageDialog::PromptId);
    const QRect place = prompt->geometry();
    const QFontMetrics metrics = prompt->fontMetrics();
    EXPECT_FALSE(prompt->wordWrap());
    EXPECT_LE(metrics.horizontalAdvance(prompt->text()), place.width());
    EXPECT_GE(place.height(), metrics.height());
    EXPECT_TRUE(dialog.rect().contains(place));
    EXPECT_FALSE(place.intersects(dialog.control(InstructionPageDialog::OkId)->geometry()));
}

TEST(InstructionPageDialog, ShowsSingleByteTextWithItsLineBreaks)
{
    InstructionPageDialog dialog;
    auto* label = dialog.control<QLabel>(InstructionPageDialog::TextId);
    dialog.setText("\nCaf\xe9\r\nsecond line\nthird");
    EXPECT_EQ(label->text(), QString::fromUtf8("\nCaf\u00e9\nsecond line\nthird"));

    // The leading line feed is an empty first line.
    const int width = label->width();
    dialog.setText("Only");
    const int oneLine = label->heightForWidth(width);
    dialog.setText("\nOnly");
    EXPECT_GT(label->heightForWidth(width), oneLine);

    // A text longer than the area is cut at its edge; the area keeps its place.
    const QRect place = label->geometry();
    std::string many;
    for (int i = 0; i < 199; ++i)
        many += "word ";
    dialog.setText(many);
    EXPECT_EQ(label->geometry(), place);
}

TEST(InstructionPageDialog, EnterEscapeOkAndTheCloseBoxCloseIt)
{
    const std::pair<const char*, std::function<void(InstructionPageDialog&)>> cases[] = {
        {"Enter", [](InstructionPageDialog& d) { QTest::keyClick(&d, Qt::Key_Return); }},
        {"OK", [](InstructionPageDialog& d) { d.control<QPushButton>(InstructionPageDialog::OkId)->click(); }},
        {"Escape", [](InstructionPageDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"close box", [](InstructionPageDialog& d) { d.close(); }},
    };
    for (const auto& [what, act] : cases) {
        InstructionPageDialog dialog;
        dialog.setText("page");
        dialog.show();
        act(dialog);
        EXPECT_FALSE(dialog.isVisible()) << what;
    }
}
