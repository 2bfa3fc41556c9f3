#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "results/results_options.h"

namespace {

struct Accepted {
    std::vector<std::string> args;
    std::vector<std::string> dataFiles;
    std::string study, trials, summary, html;
    bool help = false;
    bool writes = false;
    bool raw = false;
    std::string participants;
    std::vector<std::pair<int, int>> excluded;  // --exclude-subjects' ranges
    bool pooled = false;
    std::string psychDs = "";
};

TEST(ResultsCommandLine, AcceptedLines)
{
    const Accepted cases[] = {
        {{}, {}, "", "", "", "", false, false},  // the window, nothing open
        {{"a.dat", "b.dat"}, {"a.dat", "b.dat"}, "", "", "", "", false, false},
        {{"--study", "lab", "--csv-trials", "t.csv", "a.dat"}, {"a.dat"}, "lab", "t.csv", "", "", false, true},
        {{"--csv-summary=s.csv", "a.dat", "--html", "r.html"}, {"a.dat"}, "", "", "s.csv", "r.html", false, true},
        {{"--html=r.html", "--", "--odd.dat", "-"}, {"--odd.dat", "-"}, "", "", "", "r.html", false, true},
        {{"--study=my lab", "a b.dat"}, {"a b.dat"}, "my lab", "", "", "", false, false},
        {{"--help"}, {}, "", "", "", "", true, false},
        {{"-h", "--html", "r.html"}, {}, "", "", "", "r.html", true, true},  // help needs no data file
        {{"--csv-raw", "--csv-trials", "t.csv", "a.dat"}, {"a.dat"}, "", "t.csv", "", "", false, true, true},
        {{"--csv-summary", "s.csv", "a.dat", "--csv-raw"}, {"a.dat"}, "", "", "s.csv", "", false, true, true},
        {{"--csv-raw", "--csv-participants", "p.csv", "--exclude-subjects", "1-5, 9", "a.dat"},
         {"a.dat"},
         "",
         "",
         "",
         "",
         false,
         true,
         true,
         "p.csv",
         {{1, 5}, {9, 9}}},
        // The window starts with the list.
        {{"--exclude-subjects= 007 ,3-3,0-999", "a.dat"},
         {"a.dat"},
         "",
         "",
         "",
         "",
         false,
         false,
         false,
         "",
         {{7, 7}, {3, 3}, {0, 999}}},
        {{"--psych-ds=ds", "a.dat"}, {"a.dat"}, "", "", "", "", false, true, false, "", {}, false, "ds"},
        // A name that starts like the dataset's folder is not inside it.
        {{"--psych-ds", "d", "--study", "l", "--html", "dx", "a"},
         {"a"},
         "l",
         "",
         "",
         "dx",
         false,
         true,
         false,
         "",
         {},
         false,
         "d"},
    };
    for (const Accepted& c : cases) {
        std::string error;
        const auto line = parseResultsCommandLine(c.args, error);
        ASSERT_TRUE(line) << testing::PrintToString(c.args) << ": " << error;
        EXPECT_EQ(error, "");
        EXPECT_EQ(line->dataFiles, c.dataFiles) << testing::PrintToString(c.args);
        EXPECT_EQ(line->studyDirectory, c.study);
        EXPECT_EQ(line->trialsCsvPath, c.trials);
        EXPECT_EQ(line->summaryCsvPath, c.summary);
        EXPECT_EQ(line->htmlPath, c.html);
        EXPECT_EQ(line->help, c.help);
        EXPECT_EQ(line->writesFiles(), c.writes) << testing::PrintToString(c.args);
        EXPECT_EQ(line->csvRaw, c.raw) << testing::PrintToString(c.args);
        EXPECT_EQ(line->participantsCsvPath, c.participants);
        EXPECT_EQ(line->excludedSubjects.ranges, c.excluded) << testing::PrintToString(c.args);
        EXPECT_EQ(line->poolLogs, c.pooled) << testing::PrintToString(c.args);
        EXPECT_EQ(line->psychDsPath, c.psychDs);
        // The dataset, written last, looks for the input files in the study folder.
        const std::vector<ExportRequest> exports = line->exports();
        if (!c.psychDs.empty()) {
            ASSERT_FALSE(exports.empty());
            EXPECT_EQ(exports.back().kind, ResultsExport::PsychDs);
            EXPECT_EQ(exports.back().studyDirectory, c.study);
        }
    }
}

TEST(ResultsCommandLine, RefusedLinesSayWhy)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--csv", "x", "a.dat"}, "unknown option --csv"},
        {{"-x", "a.dat"}, "unknown option -x"},
        {{"--help=yes"}, "--help takes no value"},
        {{"--csv-raw=yes", "--csv-trials", "t.csv", "a.dat"}, "--csv-raw takes no value"},
        {{"--csv-raw", "--html", "r.html", "a.dat"},
         "--csv-raw needs --csv-trials, --csv-summary or --csv-participants"},
        {{"--csv-participants", "x.csv", "--html", "x.csv", "a.dat"}, "two outputs go to the same file x.csv"},
        {{"a.dat", "--html"}, "--html needs a value"},
        {{"--study=", "a.dat"}, "--study needs a value, not an empty one"},
        {{"--html", "a.html", "--html", "b.html", "a.dat"}, "--html is given twice"},
        {{"--csv-trials", "t.csv"}, "no data file to read"},
        {{"--csv-trials", "x.csv", "--csv-summary", "x.csv", "a.dat"}, "two outputs go to the same file x.csv"},
        {{"--html", "a.dat", "a.dat"}, "an output would overwrite the data file a.dat"},
        {{"--psych-ds", "a.dat", "a.dat"}, "an output would overwrite the data file a.dat"},
        {{"--psych-ds", "x", "--html", "x", "a.dat"}, "two outputs go to the same file x"},
        {{"--psych-ds", "ds/", "--csv-summary", "ds/s.csv", "a.dat"},
         "an output would be written inside the Psych-DS dataset's folder ds/"},
        {{"--psych-ds=", "a.dat"}, "--psych-ds needs a value, not an empty one"},
        {{"--psych-ds", "ds"}, "no data file to read"},
        {{"--html", "r.html", "a.dat", "/lab/a.timing.tsv"},
         "/lab/a.timing.tsv is a timing record, not a data file: give the data file beside it, and its timing record "
         "is read with it"},
    };
    // Lists of subjects to leave out that cannot be read.
    const std::pair<std::string, std::string> lists[] = {
        {"", "--exclude-subjects needs a value, not an empty one"},
        {" ", "--exclude-subjects: the list names no subject"},
        {"1,,2", "--exclude-subjects: \"1,,2\" has an empty entry"},
        {"1,", "--exclude-subjects: \"1,\" has an empty entry"},
        {"5-1", "--exclude-subjects: the range 5-1 runs backwards"},
        {"-3", "--exclude-subjects: \"-3\" is not a subject number or a range of them such as 1-5"},
        {"+2", "--exclude-subjects: \"+2\" is not a subject number or a range of them such as 1-5"},
        {"1-x", "--exclude-subjects: \"1-x\" is not a subject number or a range of them such as 1-5"},
        {"1-2-3", "--exclude-subjects: \"1-2-3\" is not a subject number or a range of them such as 1-5"},
        {"1 2", "--exclude-subjects: \"1 2\" is not a subject number or a range of them such as 1-5"},
        {"3-1000", "--exclude-subjects: 1000 is above the highest subject number, 999"},
        {"99999999999", "--exclude-subjects: 99999999999 is above the highest subject number, 999"},
    };
    for (const auto& [list, expected] : lists) {
        std::string error;
        EXPECT_FALSE(parseResultsCommandLine({"--exclude-subjects", list, "a.dat"}, error)) << list;
        EXPECT_EQ(error, expected) << list;
    }
    std::string twice;
    EXPECT_FALSE(parseResultsCommandLine({"--exclude-subjects=1", "--exclude-subjects=2", "a.dat"}, twice));
    EXPECT_EQ(twice, "--exclude-subjects is given twice");

    for (const auto& [args, expected] : cases) {
        std::string error;
        EXPECT_FALSE(parseResultsCommandLine(args, error)) << testing::PrintToString(args);
        EXPECT_EQ(error, expected) << testing::PrintToString(args);
    }
}

TEST(ResultsCommandLine, UsageNamesEveryOption)
{
    const std::string usage = resultsUsageText();
    for (const char* option : {"--study DIR", "--csv-trials FILE", "--csv-summary FILE", "--csv-participants FILE",
                               "--exclude-subjects LIST", "--csv-raw", "--html FILE", "--pool-logs", "--psych-ds DIR",
                               "--help", "DATAFILE...", "Exit status"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

}  // namespace
