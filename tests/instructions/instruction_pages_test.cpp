#include <gtest/gtest.h>

#include <random>

#include "common/temp_directory.h"
#include "instructions/instruction_pages.h"

namespace {

InstructionPages makePages(const std::vector<std::string>& texts)
{
    InstructionPages pages;
    pages.pageCount = static_cast<int>(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        pages.pageTexts[i].assign(texts[i]);
    return pages;
}

std::vector<std::string> usedTexts(const InstructionPages& pages)
{
    std::vector<std::string> texts;
    for (int i = 0; i < pages.pageCount; ++i)
        texts.push_back(pages.pageTexts[i].str());
    return texts;
}

std::vector<std::string> runPages(std::string_view bytes, std::size_t atMost = 1000)
{
    InstructionFileRun run(bytes);
    std::vector<std::string> shown;
    std::string text;
    while (shown.size() < atMost && run.nextPage(text))
        shown.push_back(text);
    return shown;
}

bool mentions(const Problems& problems, const std::string& part)
{
    for (const std::string& p : problems) {
        if (p.find(part) != std::string::npos)
            return true;
    }
    return false;
}

using Texts = std::vector<std::string>;

}  // namespace

TEST(InstructionFile, LineBreaksInAPageGoToDiskAsCrCrLfAndComeBackUnchanged)
{
    const InstructionPages pages = makePages({"Welcome.\r\n\r\nPress OK.", "", "Last page"});
    std::string bytes, reason;
    ASSERT_TRUE(formatInstructionFile(pages, bytes, reason)) << reason;
    EXPECT_EQ(bytes, "3\r\nWelcome.\r\r\n\r\r\nPress OK.#\r\n#\r\nLast page#\r\n");

    TempDirectory dir;
    ASSERT_TRUE(writeInstructionFile(pages, dir.file("intro.bgi")));
    const InstructionPages read = readInstructionFile(dir.file("intro.bgi"));
    EXPECT_TRUE(read.problems.empty());
    EXPECT_EQ(read.fileName, dir.file("intro.bgi"));
    EXPECT_EQ(usedTexts(read), usedTexts(pages));

    // Written again, the file is byte-identical.
    ASSERT_TRUE(writeInstructionFile(read, dir.file("again.bgi")));
    EXPECT_EQ(dir.read("again.bgi"), dir.read("intro.bgi"));
}

TEST(InstructionFile, PageLengthLimit)
{
    const std::string full(pageTextCapacity, 'x');
    InstructionPages read = parseInstructionFile("2\r\n" + full + "#\r\nnext#\r\n", "a.bgi");
    EXPECT_TRUE(read.problems.empty());
    EXPECT_EQ(usedTexts(read), (Texts{full, "next"}));

    // A longer page keeps its first 999 characters; the pages after it stay intact.
    read = parseInstructionFile("3\r\n" + full + "TAIL#\r\nsecond#\r\nthird#\r\n", "a.bgi");
    EXPECT_EQ(usedTexts(read), (Texts{full, "second", "third"}));
    ASSERT_EQ(read.problems.size(), 1u);
    EXPECT_TRUE(mentions(read.problems, "instruction file a.bgi: page 1 is longer than 999"));

    EXPECT_EQ(runPages("3\r\n" + full + "TAIL#\r\nsecond#\r\nthird#\r\n"),
              (Texts{"\n" + full.substr(1), "second", "third"}));
}

TEST(InstructionFile, EditorReaderCountRules)
{
    struct Case {
        const char* bytes;
        int count;
        Texts texts;
        const char* problem;  // nullptr: none
    };
    const Case cases[] = {
        {"0\r\n", 0, {}, nullptr},
        {"0\r\nstray#\r\n", 0, {}, nullptr},
        {"-2\r\na#\r\n", 0, {}, "page count is -2"},
        {"two\r\na#\r\n", 0, {}, "\"two\" cannot be read as a number"},
        {"", 0, {}, "ends before the page count"},
        {"99999999999\r\na#\r\n", 0, {}, "cannot be read as a number"},
        // Fewer pages than the count: the missing ones are empty.
        {"3\r\nonly#\r\n", 3, {"only", "", ""}, "ends after 1 of 3 pages"},
        {"2\r\na#\r\nno hash", 2, {"a", "no hash"}, "before the \"#\" of page 2"},
        // The count's line end is consumed with at most one byte before it.
        {"1x\r\nb#\r\n", 1, {"b"}, nullptr},
        {"1xy\r\nb#\r\n", 1, {"\nb"}, nullptr},
        {"  1\r\nfirst#\r\n", 1, {"first"}, nullptr},
        // After "#" at most two bytes are dropped, stopping after a line end.
        {"2\r\na#x\r\nb#\r\n", 2, {"a", "b"}, nullptr},
        {"2\r\na#xb#\r\n", 2, {"a", ""}, nullptr},
        {"2\r\na#b#\r\n", 2, {"a", "\n"}, "before the \"#\" of page 2"},
        {"1\r\nlast#", 1, {"last"}, nullptr},
    };
    for (const Case& c : cases) {
        const InstructionPages read = parseInstructionFile(c.bytes, "p.bgi");
        EXPECT_EQ(read.pageCount, c.count) << c.bytes;
        EXPECT_EQ(usedTexts(read), c.texts) << c.bytes;
        if (c.problem)
            EXPECT_TRUE(mentions(read.problems, c.problem)) << c.bytes;
        else
            EXPECT_TRUE(read.problems.empty()) << c.bytes << ": " << read.problems.front();
    }
}

TEST(InstructionFile, CountAboveSixtyKeepsSixtyInBothReaders)
{
    std::string bytes = "62\r\n";
    for (int i = 1; i <= 62; ++i)
        bytes += "page " + std::to_string(i) + "#\r\n";
    const InstructionPages read = parseInstructionFile(bytes, "long.bgi");
    EXPECT_EQ(read.pageCount, maxInstructionPages);
    EXPECT_EQ(read.pageTexts[59], "page 60");
    EXPECT_TRUE(mentions(read.problems, "62 pages, at most 60"));

    // The run refuses such a file before its first page; its reader alone never
    // shows more than 60 either.
    const InstructionFileRun run(bytes);
    EXPECT_EQ(run.pageCount(), maxInstructionPages);
    EXPECT_EQ(run.pageCountInFile(), 62);
    const Texts shown = runPages(bytes);
    ASSERT_EQ(shown.size(), 60u);
    EXPECT_EQ(shown[59], "page 60");
}

TEST(InstructionFileRun, ShowsTheCountsPagesTheFirstWithALeadingLineFeed)
{
    EXPECT_EQ(runPages("2\r\nHello\r\r\nthere#\r\nBye#\r\n"), (Texts{"\nHello\r\nthere", "Bye"}));
    EXPECT_EQ(runPages("0\r\nunseen#\r\n"), Texts{});
    EXPECT_EQ(runPages("-1\r\nunseen#\r\n"), Texts{});
    EXPECT_EQ(runPages("many\r\nunseen#\r\n"), Texts{});
    EXPECT_EQ(runPages("1\r\nlast#"), Texts{"\nlast"});
    // Pages beyond the end of the file are shown empty.
    EXPECT_EQ(runPages("4\r\nonly#\r\n"), (Texts{"\nonly", "", "", ""}));

    // A huge count gives the 60 pages at most that the run shows.
    EXPECT_EQ(InstructionFileRun("2000000000\r\none#\r\n").pageCountInFile(), 2000000000);
    const Texts huge = runPages("2000000000\r\none#\r\n");
    ASSERT_EQ(huge.size(), 60u);
    EXPECT_EQ(huge[0], "\none");
    EXPECT_EQ(huge[59], "");
    std::string text;

    TempDirectory dir;
    EXPECT_EQ(InstructionFileRun::open(dir.file("missing.bgi")).pageCount(), 0);
    dir.write("two.bgi", "2\r\nA#\r\nB#\r\n");
    InstructionFileRun fromDisk = InstructionFileRun::open(dir.file("two.bgi"));
    ASSERT_TRUE(fromDisk.nextPage(text));
    EXPECT_EQ(text, "\nA");
}

TEST(InstructionFile, MalformedBytesNeverBreakTheReaders)
{
    std::string valid, reason;
    ASSERT_TRUE(formatInstructionFile(makePages({"One\r\nline", "", std::string(pageTextCapacity, 'z'), "end"}), valid,
                                      reason));
    std::mt19937 random(7);
    std::vector<std::string> inputs;
    for (std::size_t n = 0; n <= valid.size(); ++n)
        inputs.push_back(valid.substr(0, n));
    const std::string alphabet = "0123456789#\r\n -+ab";
    for (int i = 0; i < 300; ++i) {
        std::string bytes;
        const int length = static_cast<int>(random() % 40);
        for (int j = 0; j < length; ++j)
            bytes += (i % 2) ? alphabet[random() % alphabet.size()] : static_cast<char>(random() % 256);
        inputs.push_back(bytes);
    }
    for (const std::string& bytes : inputs) {
        const InstructionPages read = parseInstructionFile(bytes, "x.bgi");
        EXPECT_GE(read.pageCount, 0);
        EXPECT_LE(read.pageCount, maxInstructionPages);
        const Texts shown = runPages(bytes, 100);
        for (const std::string& page : shown)
            EXPECT_LE(page.size(), pageTextCapacity);
    }
}

TEST(InstructionFile, WriterRefusesWhatCannotReadBack)
{
    TempDirectory dir;
    dir.write("kept.bgi", "1\r\nold#\r\n");
    InstructionPages pages = makePages({"fine", "costs #5"});
    WriteOutcome outcome = writeInstructionFile(pages, dir.file("kept.bgi"));
    EXPECT_FALSE(outcome);
    EXPECT_NE(outcome.error.find("page 2 contains \"#\""), std::string::npos) << outcome.error;

    for (const int count : {0, -1, 61}) {
        pages = makePages({"fine"});
        pages.pageCount = count;
        outcome = writeInstructionFile(pages, dir.file("kept.bgi"));
        EXPECT_FALSE(outcome);
        EXPECT_NE(outcome.error.find("page count is " + std::to_string(count)), std::string::npos) << outcome.error;
    }
    EXPECT_EQ(dir.read("kept.bgi"), "1\r\nold#\r\n");

    // Only the pages in use are written; a "#" beyond them does not matter.
    pages = makePages({"a", "b"});
    pages.pageCount = 1;
    pages.pageTexts[5].assign("#");
    ASSERT_TRUE(writeInstructionFile(pages, dir.file("kept.bgi")));
    EXPECT_EQ(dir.read("kept.bgi"), "1\r\na#\r\n");
}

TEST(InstructionFile, UnreadableFileGivesAnEmptyPageAndAProblem)
{
    TempDirectory dir;
    const InstructionPages read = readInstructionFile(dir.file("none.bgi"));
    EXPECT_EQ(read.pageCount, 1);
    EXPECT_TRUE(read.pageTexts[0].empty());
    EXPECT_TRUE(mentions(read.problems, "none.bgi"));
}

TEST(InstructionPageText, LineBreaksForDisplay)
{
    EXPECT_EQ(pageDisplayText("\nA\r\nB\nC\rD\r\n\r\n"), "\nA\nB\nC\nD\n\n");
    EXPECT_EQ(pageDisplayText("plain"), "plain");
}
