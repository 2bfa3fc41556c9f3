// The page text box's rules and the editor's reading of a file, without a display.
#include <gtest/gtest.h>

#include <string>

#include "common/temp_directory.h"
#include "instructions/instruction_document.h"
#include "instructions/page_text.h"

TEST(PageText, LineBreaksAreCrLfInThePageAndOneLineBreakInTheBox)
{
    EXPECT_EQ(boxToPageText("one\ntwo\n\nthree"), "one\r\ntwo\r\n\r\nthree");
    EXPECT_EQ(pageToBoxText("one\r\ntwo\r\n\r\nthree"), "one\ntwo\n\nthree");
    // A page read from a hand-written file may hold lone CRs and LFs.
    EXPECT_EQ(pageToBoxText("a\nb\rc"), "a\nb\nc");
    EXPECT_EQ(boxToPageText(pageToBoxText("x\r\ny")), "x\r\ny");
}

TEST(PageText, ALineBreakTakesTwoOfThePagesCharacters)
{
    EXPECT_EQ(pageBytesOf(""), 0u);
    EXPECT_EQ(pageBytesOf("abc"), 3u);
    EXPECT_EQ(pageBytesOf("a\nb\n"), 6u);
    EXPECT_EQ(pageBytesOf("\xE9"), 1u);  // one single-byte character
}

TEST(PageText, HashAndCharactersWithoutASingleByteFormAreLeftOut)
{
    EXPECT_EQ(admitIntoPage("a#b##c", 100), "abc");
    EXPECT_EQ(admitIntoPage("caf\xC3\xA9 \xE2\x82\xAC"
                            "5",
                            100),
              "caf\xC3\xA9 \xE2\x82\xAC"
              "5");                                                   // é and €
    EXPECT_EQ(admitIntoPage("snow\xE2\x98\x83man", 100), "snowman");  // U+2603
    EXPECT_EQ(admitIntoPage("\xF0\x9F\x98\x80!", 100), "!");          // U+1F600
    EXPECT_EQ(admitIntoPage("bad\xFFtail", 100), "badtail");          // not UTF-8
    EXPECT_EQ(admitIntoPage("#", 100), "");
}

TEST(PageText, WhatIsTypedIsTakenOnlyAsFarAsThereIsRoom)
{
    EXPECT_EQ(admitIntoPage("abcdef", 4), "abcd");
    EXPECT_EQ(admitIntoPage("abc", 0), "");
    // A line break needs two: with one left it does not fit, nor does what follows.
    EXPECT_EQ(admitIntoPage("a\nb", 2), "a");
    EXPECT_EQ(admitIntoPage("a\nb", 3), "a\n");
    EXPECT_EQ(admitIntoPage("a\nb", 4), "a\nb");
    // Left-out characters cost nothing.
    EXPECT_EQ(admitIntoPage("#a#b", 2), "ab");
    // Each character counts once, whatever its UTF-8 length.
    EXPECT_EQ(admitIntoPage("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9");
}

TEST(PageText, BoxTextIsTakenBackAsSingleBytes)
{
    EXPECT_EQ(boxTextFromUtf8("caf\xC3\xA9\n\xE2\x82\xAC"), "caf\xE9\n\x80");
    EXPECT_EQ(boxTextFromUtf8("a#\xE2\x98\x83z"), "az");
}

TEST(PageText, StoringKeepsAnUnchangedPageAsItWasRead)
{
    PageText page;
    page.assign("read\nwith LF");
    storeBoxText(page, "read\nwith LF");
    EXPECT_EQ(page, "read\nwith LF");
    storeBoxText(page, "read\nwith LF!");
    EXPECT_EQ(page, "read\r\nwith LF!");
    storeBoxText(page, "");
    EXPECT_TRUE(page.empty());
}

TEST(PageText, StoringNeverExceedsThePage)
{
    PageText page;
    storeBoxText(page, std::string(1000, 'x'));
    EXPECT_EQ(page.str(), std::string(999, 'x'));
    // A line break is not cut in half.
    storeBoxText(page, std::string(998, 'y') + "\nz");
    EXPECT_EQ(page.str(), std::string(998, 'y'));
}

TEST(PageText, PageLines)
{
    EXPECT_EQ(pageNumberText(0), "Page 1");
    EXPECT_EQ(pageNumberText(59), "Page 60");
    EXPECT_EQ(pageTotalText(7), " out of 7");
}

TEST(OpenInstructionFile, AFileThatCannotBeReadIsNotOpened)
{
    TempDirectory dir;
    const OpenedInstructions opened = openInstructionFile(dir.file("missing.bgi"));
    EXPECT_FALSE(opened.opened);
    EXPECT_EQ(opened.error, "cannot read " + dir.file("missing.bgi") + ": No such file or directory");
}

TEST(OpenInstructionFile, ReadsThePagesWithTheirLineBreaksAndThePath)
{
    TempDirectory dir;
    dir.write("intro.bgi", "2\r\nFirst\r\r\nline two#\r\nSecond#\r\n");
    const OpenedInstructions opened = openInstructionFile(dir.file("intro.bgi"));
    ASSERT_TRUE(opened.opened);
    EXPECT_EQ(opened.pages.pageCount, 2);
    EXPECT_EQ(opened.pages.pageTexts[0], "First\r\nline two");
    EXPECT_EQ(opened.pages.pageTexts[1], "Second");
    EXPECT_EQ(opened.pages.fileName, dir.file("intro.bgi"));
    EXPECT_TRUE(opened.pages.problems.empty());
}

TEST(OpenInstructionFile, AFileWithoutPagesGivesOneBlankPageAndItsProblem)
{
    TempDirectory dir;
    dir.write("empty.bgi", "");
    dir.write("zero.bgi", "0\r\n");
    const OpenedInstructions empty = openInstructionFile(dir.file("empty.bgi"));
    ASSERT_TRUE(empty.opened);
    EXPECT_EQ(empty.pages.pageCount, 1);
    EXPECT_TRUE(empty.pages.pageTexts[0].empty());
    ASSERT_EQ(empty.pages.problems.size(), 1u);
    EXPECT_NE(empty.pages.problems[0].find("empty.bgi"), std::string::npos);
    EXPECT_EQ(openInstructionFile(dir.file("zero.bgi")).pages.pageCount, 1);
}

TEST(OpenInstructionFile, TheReadersProblemsComeAlong)
{
    TempDirectory dir;
    dir.write("long.bgi", "1\r\n" + std::string(1200, 'w') + "#\r\n");
    const OpenedInstructions opened = openInstructionFile(dir.file("long.bgi"));
    ASSERT_TRUE(opened.opened);
    EXPECT_EQ(opened.pages.pageTexts[0].size(), pageTextCapacity);
    ASSERT_EQ(opened.pages.problems.size(), 1u);
    EXPECT_NE(opened.pages.problems[0].find("longer than 999"), std::string::npos) << opened.pages.problems[0];
}
