#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "results/html_report.h"
#include "results/participants.h"
#include "results/results_exports.h"
#include "results/results_scores.h"
#include "common/temp_directory.h"

namespace {

// One run of one session: a combined practice block with an answered trial, the
// word on screen when the block was closed, and a slot never reached. Texts hold the
// characters a CSV cell must quote.
StudyResults smallStudy()
{
    StudyResults study;
    RunRecord run;
    run.id = 1;
    run.dataFile = "/lab/\"old\" data/run.dat";
    run.subject = 7;
    run.sex = "f";
    run.other = "a,b";
    run.inputFile = "study.inp";
    SessionRecord session;
    session.settings = {1, "Fruit.wls", "Mine.wls", 0, 1, 1, 150, 3, 40};
    session.labels = {{{"Fruit", "Tools, \"big\""}, {"Mine", "Theirs\nnow"}}};
    session.labelSource = "list file";
    BlockRecord block;
    block.number = 3;
    block.half = 1;
    block.role = BlockRole::CombinedPractice;
    block.left = {0, 1};
    block.dataFile = run.dataFile;
    block.trials = {{2, 1, 0, 1, 4, "w4", 650, 1, "r", false},
                    {3, 2, 1, 1, 3, "w3", 99999, 99, "9", true},
                    {4, 99, 9, 9, 99, "blank", 99999, 99, "9", true}};
    session.blocks.push_back(block);
    session.halves[0] = HalfFigures{
        .meanLatency = 612, .errorRate = 5, .n = 38, .trialsScored = 38, .leftCombination = "", .rightCombination = ""};
    session.difference.practice = 0.25;
    session.difference.trialsUsed = 1;
    session.difference.trialsFast = 1;
    session.difference.excluded = true;
    session.difference.exclusionReasons = {"100.0 % of the trials faster than 300 ms (more than 10 %)",
                                           "no score: the combined recorded block of half 1 is missing"};
    run.sessions.push_back(session);
    study.runs.push_back(run);
    return study;
}

TEST(ResultsExports, CsvRowsQuoteOnlyWhereNeededAndLeaveMissingValuesEmpty)
{
    StudyResults study = smallStudy();
    EXPECT_EQ(trialsCsv(study),
              "run,data_file,line,subject,sex,other,input_file,session,half,block,block_role,slot,trial,pair,category,"
              "category_label,item,word,correct_side,latency,errors,key,unrun,excluded,run_flags\n"
              "1,\"/lab/\"\"old\"\" data/run.dat\",2,7,f,\"a,b\",study.inp,1,1,3,combined_practice,1,1,1,2,"
              "\"Tools, \"\"big\"\"\",4,w4,right,650,1,r,FALSE,TRUE,no_log_line\n"
              "1,\"/lab/\"\"old\"\" data/run.dat\",3,7,f,\"a,b\",study.inp,1,1,3,combined_practice,2,2,2,2,"
              "\"Theirs\nnow\",3,w3,left,,,,TRUE,TRUE,no_log_line\n"
              "1,\"/lab/\"\"old\"\" data/run.dat\",4,7,f,\"a,b\",study.inp,1,1,3,combined_practice,3,,,,,,,,,,,TRUE,"
              "TRUE,no_log_line\n");

    const std::string header =
        "run,data_file,subject,sex,other,input_file,date,time,complete,session,label_source,cats_left,cats_right,"
        "catsw,half1_mean_latency,half1_error_rate,half1_n,half2_mean_latency,half2_error_rate,half2_n,log_agrees,"
        "log_differences,score,score_practice,score_recorded,trials_used,trials_dropped,trials_fast,fast_share,"
        "excluded,exclusion_reasons,onset_source,refresh_us,words_shown,frames_missed,most_late_us,key_clock,flags\n";
    const std::string reasons =
        "100.0 % of the trials faster than 300 ms (more than 10 %); no score: the combined recorded block of half 1 "
        "is missing";
    EXPECT_EQ(summaryCsv(study), header +
                                     "1,\"/lab/\"\"old\"\" data/run.dat\",7,f,\"a,b\",study.inp,,,FALSE,1,list file,"
                                     "\"Fruit+Theirs\nnow\",\"Tools, \"\"big\"\"+Mine\",1,612,5,38,,,,,,,0.25,,1,0,1,1,"
                                     "TRUE," +
                                     reasons + ",,,,,,,no_log_line\n");

    // With its subject log line: the date and time in ISO form, and whether it agrees.
    SubjectLogRecord log;
    log.year = 126, log.month = 3, log.day = 9, log.hour = 8, log.minute = 5;
    study.runs[0].log = log;
    study.runs[0].complete = true;
    study.runs[0].sessions[0].logDifferences = {"session 1, half 1: N 38 by the data lines, 40 in the subject log"};
    EXPECT_EQ(summaryCsv(study),
              header +
                  "1,\"/lab/\"\"old\"\" data/run.dat\",7,f,\"a,b\",study.inp,2026-03-09,08:05,TRUE,1,"
                  "list file,\"Fruit+Theirs\nnow\",\"Tools, \"\"big\"\"+Mine\",1,612,5,38,,,,FALSE,"
                  "\"session 1, half 1: N 38 by the data lines, 40 in the subject log\",,0.25,,1,0,"
                  "1,1,TRUE," +
                  reasons + ",,,,,,,log_differs\n");

    // A pair whose labels are known from nowhere (a questionnaire's words, no log line):
    // the combinations as the report shows them, the known label alone.
    study.runs[0].sessions[0].labels = {{{"", ""}, {"Mine", "Theirs"}}};
    EXPECT_NE(summaryCsv(study).find(",list file,\"'+Theirs\",\"'+Mine\",1,"), std::string::npos) << summaryCsv(study);
}

// The summary's timing cells add up the run's rows; frames missed in any block flag the
// run in both exports.
TEST(ResultsExports, TimingCellsSumTheRunsRowsAndMissedFramesFlagTheRun)
{
    const auto row = [](const char* onset, int refresh, int words, int missed, std::int64_t late, const char* clock) {
        return BlockTimingRecord{"run.timing.tsv", 2, onset, refresh, words, missed, late, clock, std::nullopt};
    };
    const BlockTimingRecord x11 = row("X11 Present", 16667, 20, 0, 900, "X server");
    const struct {
        const char* name;
        std::vector<BlockTimingRecord> rows;  // of blocks 3, 4, ...; the last block has none
        std::string cells;                    // onset_source to flags
    } cases[] = {
        {"one block", {x11}, "X11 Present,16667,20,0,900,X server,"},
        {"sources and clocks in order, the median refresh of the rows with one, rounded",
         {row("after drawing", 0, 10, 0, 300, "handled"), x11, row("X11 Present", 16668, 40, 2, 1400, "X server"), x11,
          row("X11 Present", 16670, 5, 1, 200, "handled")},
         "after drawing+X11 Present,16668,95,3,1400,handled+X server,missed_frames"},
        {"no refresh", {row("after drawing", 0, 10, 0, 0, "handled")}, "after drawing,,10,0,0,handled,"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StudyResults study = smallStudy();
        study.runs[0].log = SubjectLogRecord{};  // its flags are the timing's alone
        std::vector<BlockRecord>& blocks = study.runs[0].sessions[0].blocks;
        const BlockRecord plain = blocks[0];
        blocks.clear();
        for (std::size_t i = 0; i <= c.rows.size(); ++i) {
            blocks.push_back(plain);
            blocks.back().number = 3 + static_cast<int>(i);
            if (i < c.rows.size())
                blocks.back().timing = c.rows[i];
        }
        const std::string summary = summaryCsv(study, CsvTexts::Raw);
        EXPECT_TRUE(summary.ends_with("," + c.cells + "\n")) << summary;
        const std::string flags = c.cells.substr(c.cells.rfind(',') + 1);
        const std::string trials = trialsCsv(study, CsvTexts::Raw);
        EXPECT_TRUE(trials.ends_with("TRUE," + flags + "\n")) << trials;
    }
}

// A text cell a spreadsheet would run as a formula is written with an apostrophe first,
// in both exports and in every text column; the same characters inside a cell, and the
// cells of numeric columns, negative ones too, are left alone; raw texts stay as typed.
TEST(ResultsExports, TextCellsThatStartAFormulaAreDisarmedUnlessRaw)
{
    struct Case {
        std::string value, safe, raw;
    };
    const Case cases[] = {
        {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\"", "\"=HYPERLINK(\"\"x\"\")\""},
        {"+1", "\"'+1\"", "+1"},
        {"-2", "\"'-2\"", "-2"},  // a text column's cell, though it looks like a number
        {"@SUM(1)", "\"'@SUM(1)\"", "@SUM(1)"},
        {"\tx", "\"'\tx\"", "\tx"},
        {"\rx", "\"'\rx\"", "\"\rx\""},
        {"a=b+c-d@e\tf\r", "\"a=b+c-d@e\tf\r\"", "\"a=b+c-d@e\tf\r\""},
        {"a=b+c-d@e\tf", "a=b+c-d@e\tf", "a=b+c-d@e\tf"},
    };
    const auto count = [](const std::string& csv, const std::string& cell) {
        std::size_t n = 0;
        for (auto at = csv.find("," + cell + ","); at != std::string::npos; at = csv.find("," + cell + ",", at + 1))
            ++n;
        return n;
    };
    for (const Case& c : cases) {
        StudyResults study = smallStudy();
        RunRecord& run = study.runs[0];
        run.other = c.value;
        run.sessions[0].labelSource = c.value;
        run.sessions[0].blocks[0].trials[0].word = c.value;
        run.sessions[0].blocks[0].trials[0].latency = -1;
        run.sessions[0].difference.score = -0.5;
        for (const CsvTexts texts : {CsvTexts::SpreadsheetSafe, CsvTexts::Raw}) {
            const std::string& cell = texts == CsvTexts::Raw ? c.raw : c.safe;
            const std::string trials = trialsCsv(study, texts), summary = summaryCsv(study, texts);
            SCOPED_TRACE(testing::PrintToString(c.value) + (texts == CsvTexts::Raw ? " raw" : " safe"));
            EXPECT_EQ(count(trials, cell), 4u);     // other in three rows, word in one
            EXPECT_EQ(count(summary, cell), 2u);    // other, label_source
            EXPECT_EQ(count(trials, "-1"), 1u);     // latency
            EXPECT_EQ(count(summary, "-0.5"), 1u);  // score
        }
    }
}

// Participant 7 with two complete runs (the second given its input file with a
// folder) of sessions 1 and 2, participant 8 with one incomplete run of session 1.
StudyResults studyOfParticipants()
{
    StudyResults study = smallStudy();
    RunRecord& first = study.runs[0];
    first.log = SubjectLogRecord{};
    first.complete = true;
    SessionRecord two = first.sessions[0];
    two.settings.session = 2;
    for (const auto& [h, latency, rate] : {std::tuple{0, 700, 3}, std::tuple{1, 720, 4}})
        two.halves[static_cast<std::size_t>(h)] = HalfFigures{.meanLatency = latency,
                                                              .errorRate = rate,
                                                              .n = 36,
                                                              .trialsScored = 36,
                                                              .leftCombination = "",
                                                              .rightCombination = ""};
    two.difference = {};
    two.difference.practice = 0.4, two.difference.recorded = 0.6, two.difference.score = 0.5;
    first.sessions.push_back(two);
    RunRecord again = first;
    again.id = 2;
    again.inputFile = "C:\\lab\\study.inp";
    again.sessions[1].difference.score = 9;
    RunRecord other = smallStudy().runs[0];
    other.id = 3;
    other.subject = 8;
    other.sex = "m";
    other.other = "";
    study.runs.push_back(again);
    study.runs.push_back(other);
    leaveOutSubjects(study, {});  // settles the participants
    return study;
}

TEST(ResultsExports, ParticipantsRowsHoldTheCountedRunsSessionsSideBySide)
{
    const StudyResults study = studyOfParticipants();
    std::string header = "subject,sex,other,input_file";
    for (const char* k : {"1", "2"})
        for (const char* column :
             {"score", "score_practice", "score_recorded", "half1_mean_latency", "half1_error_rate", "half1_n",
              "half2_mean_latency", "half2_error_rate", "half2_n", "excluded"})
            header += std::string(",session") + k + "_" + column;
    header += ",flags,runs,counted_run\n";
    EXPECT_EQ(participantsCsv(study), header +
                                          "7,f,\"a,b\",study.inp,,0.25,,612,5,38,,,,TRUE,0.5,0.4,0.6,700,3,36,720,4,"
                                          "36,FALSE,subject_number_reused,2,1\n"
                                          "8,m,,study.inp,,0.25,,612,5,38,,,,TRUE,,,,,,,,,,,no_log_line,1,3\n");
    EXPECT_EQ(participantsCsv(StudyResults{}), "subject,sex,other,input_file,flags,runs,counted_run\n");
}

// The runs of the subjects left out are in no export, as if they had never been read,
// and the report lists them with the reason; another list puts them back.
TEST(ResultsExports, SubjectsLeftOutAreInNoExportAndListedWithTheReason)
{
    StudyResults study = studyOfParticipants();
    StudyResults without = study;
    without.runs.pop_back();
    leaveOutSubjects(without, {});
    leaveOutSubjects(study, {{{8, 8}}});
    ASSERT_EQ(study.leftOut.size(), 1u);
    EXPECT_EQ(study.leftOut[0].id, 3);
    for (const CsvTexts texts : {CsvTexts::SpreadsheetSafe, CsvTexts::Raw}) {
        EXPECT_EQ(trialsCsv(study, texts), trialsCsv(without, texts));
        EXPECT_EQ(summaryCsv(study, texts), summaryCsv(without, texts));
        EXPECT_EQ(participantsCsv(study, texts), participantsCsv(without, texts));
    }
    EXPECT_EQ(summarizeStudy(study).participants, 1);
    const std::string html = htmlReport(study, summarizeStudy(study), {});
    EXPECT_NE(html.find("<tr><th>Left out by the user</th><td>1 run of subject 8</td></tr>"), std::string::npos);
    EXPECT_NE(html.find("<tr class=\"excluded\"><td>3</td><td class=\"num\">8</td><td>m</td>"), std::string::npos);
    EXPECT_NE(html.find("excluded</span> <div>left out by the user</div>"), std::string::npos);

    leaveOutSubjects(study, {{{0, 6}, {9, 999}}});
    EXPECT_TRUE(study.leftOut.empty());
    ASSERT_EQ(study.runs.size(), 3u);
    EXPECT_EQ(study.runs[2].id, 3);
    EXPECT_EQ(participantsCsv(study), participantsCsv(studyOfParticipants()));
}

}  // namespace

// Written to its file as it is made, the trials CSV has the same bytes; a file that
// cannot be written leaves nothing behind.
TEST(ResultsExports, TheTrialsWrittenAsTheyAreMadeAreTheSameBytes)
{
    char folder[] = "/tmp/truv-csv-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/trials.csv";
    StudyResults study = smallStudy();
    for (int i = 0; i < 200; ++i)
        study.runs.push_back(study.runs.front());
    ASSERT_TRUE(writeTrialsCsv(path, study, CsvTexts::Raw));
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), trialsCsv(study, CsvTexts::Raw));
    const WriteOutcome refused = writeTrialsCsv(std::string(folder) + "/missing/trials.csv", study);
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.error.find("No such file or directory"), std::string::npos) << refused.error;
    std::filesystem::remove_all(folder);
}

TEST(ResultsExports, NoneIsWrittenWhenOneWouldOverwriteAFileTheStudyIsReadFrom)
{
    TempDirectory dir;
    dir.write("run.dat", "the data");
    StudyResults study = smallStudy();
    study.dataFiles = {dir.file("run.dat")};
    int reports = 0;
    const auto report = [&] {
        ++reports;
        return std::string("<html>");
    };
    const auto exports = [&](const char* trials, const char* summary, const char* html) {
        return std::vector<ExportRequest>{{ResultsExport::TrialsCsv, dir.file(trials)},
                                          {ResultsExport::SummaryCsv, dir.file(summary)},
                                          {ResultsExport::Html, dir.file(html)}};
    };
    // The subject log beside the data file, not there yet, is refused; the others wait.
    std::vector<ExportOutcome> outcomes = writeExports(exports("t.csv", "run.slg", "r.html"), study, report);
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(outcomes[0].refused, "");
    EXPECT_NE(outcomes[1].refused.find("is a subject log"), std::string::npos) << outcomes[1].refused;
    EXPECT_FALSE(outcomes[0].written || outcomes[1].written || outcomes[2].written);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"run.dat"});
    EXPECT_EQ(reports, 0);

    outcomes = writeExports(exports("t.csv", "s.csv", "r.html"), study, report);
    EXPECT_TRUE(outcomes[0].written && outcomes[1].written && outcomes[2].written);
    EXPECT_EQ(dir.read("t.csv"), trialsCsv(study));
    EXPECT_EQ(dir.read("r.html"), "<html>");
    EXPECT_EQ(reports, 1);
}
