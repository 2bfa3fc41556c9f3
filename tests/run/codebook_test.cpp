// The codebook's bytes on disk, and appending it to a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "run/codebook.h"
#include "run/output_files.h"
#include "common/temp_directory.h"

namespace {

// The codebook as listed, one line of the raw literal per line of the codebook,
// blank lines included (the listing ends with two of them).
constexpr const char* listedCodebook = R"listing(INPUT FILE

Input file information is in the following order, each item separated by a tab:

Session
Instructions file name
The following eight items will be repeated for each session.
File name for Category Pair 1
File name for Category Pair 2
Category 1 position
    0 = in order as in list file (aa-bb)
    1 = opposite of order in list file (bb-aa)
Category 2 position
    0 = in order as in list file (aa-bb)
    1 = opposite of order in list file (bb-aa)
CategoryToSwitch
    0 = switch pair 1
    1 = switch pair 2
Inter-trial Delay, in milliseconds
Number of trials in practice blocks
Number of trials in real, or recorded blocks

Tutorial included
    0 = excluded
    1 = included
Option for subject to edit lists included
    0 = excluded
    1 = included




OUTPUT SUBJECT LOG

Output subject data is in the following order, each item separated by a tab (the variable name for each item is in quotation marks):

"Sub"       Subject Number
"Sex"       Subject Sex
               0 = male
               1 = female
"Other"     Other, specified by experimenter
"InpFl"     Input file name
"Month"     Month
"Day"       Day
"Year"      Year
"Hour"      Hour, 0 to 24
"Min"       Minutes

For each session, the following series of variables will be listed.  Different sessions are noted by the "_#" extension to the variable names.
"CatsL_#"   Categories on left key, prior to switch
"CatsR_#"    Categoryies on right key, prior to switch
"CatSw_#"   Category that was switched
                1 = switched 1st pair
                2 = switched 2nd pair
"1stLat_#"  Mean latency for first mixed category task
"1stErr_#"  Error rate for first mixed category task
"1stN_#"    N included in latency and error for first mixed category task
"2ndLat_#"  Mean latency for second mixed category task, after switch
"2ndErr_#"  Error rate for first mixed category task, after switch
"2ndN_#"    N included in latency and error for second mixed category task



OUTPUT DATA FILE

Each line of output represents the information associated with each trial of the QAV.
Output file data is in the following order, each item separated by a tab (the variable name for each item is in quotation marks):

"InpFl"    Input file name
"Sess"     Session
"Cat1"     File for Category Pair 1
"Cat2"     File for Category Pair 2
"Cat1p"    Category 1 position
               0 = in order as in file (aa-bb)
               1 = opposite of order in file (bb-aa)
"Cat2p"    Category 2 position
               0 = in order as in file (aa-bb)
               1 = opposite of order in file (bb-aa)
"Catsw"    CategoryToSwitch
               0 = switch pair 1
               1 = switch pair 2
"Delay"    Inter-trial Delay, in milliseconds
"nPrac"    Number of trials in practice blocks
"nReal"    Number of trials in real, or recorded blocks
"Sub"      Subject Number
"Sex"      Sex
               0 = male
               1 = female
"Other"    Other:  Variable determined by experimenter
"Block"    Block number
"Trial"    Trial number
"Icat"     Trial item category
               0 = Category 1
               1 = Category 2
"Iscat"    Trial item subcategory
               0 = 1st in order in file.
               1 = 2nd in order in file.
"Inum"     Trial item number
"Item"     Trial item string (when me-items, labels printed)
"Lat"      Latency of response in milliseconds
"Error"    Error
               0 = right
               1 = wrong
               2 or greater = # of times selected wrong item
"Key"      Correct key
               l = left key
               r = right key


)listing";

// The listing on disk: every line ended with CR LF.
std::string listedBytes()
{
    std::string bytes;
    for (const char* c = listedCodebook; *c != '\0'; ++c) {
        if (*c == '\n')
            bytes += '\r';
        bytes += *c;
    }
    return bytes;
}

}  // namespace

TEST(Codebook, IsWrittenByteForByteAsListed)
{
    const std::string expected = listedBytes();
    // Guards the listing itself: 109 lines, each ended by CR LF, no bare LF.
    ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), 109);
    ASSERT_EQ(std::count(expected.begin(), expected.end(), '\r'), 109);
    ASSERT_TRUE(expected.ends_with("r = right key\r\n\r\n\r\n"));

    TempDirectory dir;
    const WriteOutcome outcome = writeCodebook(dir.file("output.log"));
    ASSERT_TRUE(outcome) << outcome.error;
    const std::string written = dir.read("output.log");
    ASSERT_EQ(written.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(written[i], expected[i])
            << "first difference at byte " << i << ": \"" << written.substr(i > 40 ? i - 40 : 0, 80) << "\"";
}

TEST(Codebook, IsAppendedAfterWhatTheFileHolds)
{
    TempDirectory dir;
    const std::string earlier = "notes kept by the experimenter\r\n";
    dir.write("output.log", earlier);
    ASSERT_TRUE(writeCodebook(dir.file("output.log")));
    ASSERT_TRUE(writeCodebook(dir.file("output.log")));
    EXPECT_EQ(dir.read("output.log"), earlier + listedBytes() + listedBytes());
}

// A data file or subject log chosen by mistake is refused and left as it is; a file
// that merely mentions the columns later on is not.
TEST(Codebook, IsNeverAppendedToADataFileOrSubjectLog)
{
    TempDirectory dir;
    const std::pair<std::string, const char*> files[] = {
        {dataFileHeader() + "study.inp\t1\t\r\n", "it is a data file"},
        {subjectLogHeader(2) + "7\tm\t\r\n", "it is a subject log"},
        {subjectLogHeader(1), "it is a subject log"},
        {"notes\r\n" + dataFileHeader(), nullptr},
    };
    for (const auto& [bytes, refusal] : files) {
        SCOPED_TRACE(bytes.substr(0, 30));
        dir.write("chosen.dat", bytes);
        const WriteOutcome outcome = writeCodebook(dir.file("chosen.dat"));
        EXPECT_EQ(bool(outcome), refusal == nullptr);
        if (refusal) {
            EXPECT_NE(outcome.error.find(refusal), std::string::npos) << outcome.error;
            EXPECT_EQ(dir.read("chosen.dat"), bytes);
        }
    }
}

TEST(Codebook, AFileThatCannotBeOpenedIsReportedAndNothingIsCreated)
{
    TempDirectory dir;
    const std::string missing = dir.file("no-such-dir/output.log");
    const WriteOutcome intoNowhere = writeCodebook(missing);
    EXPECT_FALSE(intoNowhere);
    EXPECT_EQ(intoNowhere.error, "cannot write " + missing + ": No such file or directory");
    EXPECT_TRUE(dir.entries().empty());

    const WriteOutcome ontoDirectory = writeCodebook(dir.path());
    EXPECT_FALSE(ontoDirectory);
    EXPECT_EQ(ontoDirectory.error, "cannot write " + dir.path() + ": Is a directory");

    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only directories and files";
    ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
    const WriteOutcome readOnlyDirectory = writeCodebook(dir.file("output.log"));
    EXPECT_FALSE(readOnlyDirectory);
    EXPECT_EQ(readOnlyDirectory.error, "cannot write " + dir.file("output.log") + ": Permission denied");
    EXPECT_TRUE(dir.entries().empty());

    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    dir.write("locked.log", "kept\r\n");
    ASSERT_EQ(chmod(dir.file("locked.log").c_str(), 0444), 0);
    const WriteOutcome readOnlyFile = writeCodebook(dir.file("locked.log"));
    EXPECT_FALSE(readOnlyFile);
    EXPECT_EQ(readOnlyFile.error, "cannot write " + dir.file("locked.log") + ": Permission denied");
    EXPECT_EQ(dir.read("locked.log"), "kept\r\n");
}

// The check that keeps the codebook in step with the format: every column quoted once,
// in the format's order, whatever its case.
TEST(Codebook, QuotesEveryColumnOfTheFormatInItsOrder)
{
    std::vector<std::string> listed;
    std::istringstream text(codebookText());
    for (std::string line; std::getline(text, line);)
        listed.push_back(line);
    // The first line that starts with `line` replaced by `by`, and whether the check passes.
    const struct {
        const char* line;
        std::vector<std::string> by;
        bool passes;
    } cases[] = {
        {nullptr, {}, true},
        {"\"Other\"     Other", {"\"OTHER\"     Other"}, true},
        {"\"Key\"", {}, false},
        {"\"Lat\"", {"\"Error\"    Error", "\"Lat\"      Latency"}, false},
        {"\"Min\"", {"\"Min\"       Minutes", "\"Sec\"       Seconds"}, false},
        {"\"CatsL_#\"", {"\"CatsL\"   Categories on left key"}, false},
        {"OUTPUT DATA FILE", {"OUTPUT DATA"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line ? c.line : "as listed");
        std::vector<std::string> lines = listed;
        if (c.line) {
            const auto at = std::find_if(lines.begin(), lines.end(),
                                         [&](const std::string& l) { return l.starts_with(c.line); });
            ASSERT_NE(at, lines.end());
            lines.insert(lines.erase(at), c.by.begin(), c.by.end());
        }
        const std::vector<std::string_view> views(lines.begin(), lines.end());
        EXPECT_EQ(describesTheColumns(views), c.passes);
    }
}
