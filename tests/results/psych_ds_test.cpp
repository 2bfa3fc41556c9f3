#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/temp_directory.h"
#include "files/input_file.h"
#include "files/word_list.h"
#include "results/psych_ds.h"
#include "results/results_exports.h"
#include "results/results_lines.h"
#include "results/results_options.h"
#include "results/results_reading.h"
#include "run/block_sequence.h"
#include "run/codebook.h"
#include "run/data_format.h"
#include "task/score_table.h"

namespace {

// --- a study made with the run's own writers ---

ExperimentDefinition twoSessions()
{
    ExperimentDefinition definition;
    definition.instructionFileName.assign("intro.bgi");
    definition.sessionCount = 2;
    for (int s = 0; s < 2; ++s) {
        SessionSettings& settings = definition.sessions[s];
        settings.Cat1.assign(s == 0 ? "flowers.wls" : "pleasant.wls");
        settings.Cat2.assign(s == 0 ? "pleasant.wls" : "flowers.wls");
        settings.nPrac = 2;
        settings.nReal = 3;
    }
    return definition;
}

// A whole run of the definition, every trial answered on its correct side (one word
// begins like a formula, one is not ASCII): its data lines and its subject log line.
std::pair<std::string, std::string> wholeRun(const SubjectRecord& who, const ExperimentDefinition& definition)
{
    std::string lines;
    ScoreTable scores;
    int blockNumber = 0;
    std::array<int, 2> finished{0, 0};
    for (int s = 0; s < definition.sessionCount; ++s) {
        const SessionSettings& settings = definition.sessions[s];
        const SessionSequence sequence =
            sessionSequence({settings.Cat1p, settings.Cat2p, settings.Catsw, s == 0, {false, false}, finished});
        finished = sequence.finishedLeft;
        for (int half = 0; half < 2; ++half) {
            for (int b = 0; b < blocksPerHalf; ++b) {
                if (!sequence.runs[half][b])
                    continue;
                const int trials = b == recordedBlock ? settings.nReal : settings.nPrac;
                TrialResults results{};
                for (int t = 0; t < trials; ++t) {
                    TrialResult& r = results[t];
                    r.trialNumber = t + 1;
                    r.pair = b < 2 ? b : t % 2;
                    r.category = t / 2 % 2;
                    r.item = t + 1;
                    r.word.assign(t == 0 ? "=sum" : t == 1 ? "Bl\xFCte" : "w" + std::to_string(t));
                    r.latency = 600 + 10 * t + 40 * half;
                    r.responseSide = r.category == sequence.left[half][r.pair] ? "l" : "r";
                }
                for (const std::string& line : formatDataLines(who, s + 1, settings, ++blockNumber, results, trials))
                    lines += line;
                if (b == recordedBlock)  // the labels are the list files'; the log's figures are checked
                    scores.scoreBlock(s + 1, half + 1, results, trials, trials, {"A", "B", "C", "D"});
            }
        }
    }
    scores.finish(definition.sessionCount);
    return {lines, formatSubjectLogLine(who, definition, scores)};
}

SubjectRecord subject(int number, const std::string& inputPath)
{
    SubjectRecord who;
    who.subjectNumber = number;
    who.sexCode = "f";
    who.inputPath = inputPath;
    who.inputName = std::string(inputFileNameOf(inputPath));
    who.start = {2026, 3, 9, 14, 5, 0};
    return who;
}

// Writes folder/name.dat and its subject log with a whole run of each subject, one
// after the other, and the list files beside them.
void writeRuns(const std::string& folder, const std::string& name, const std::vector<SubjectRecord>& subjects)
{
    std::filesystem::create_directories(folder);
    const ExperimentDefinition definition = twoSessions();
    std::string data = dataFileHeader();
    std::string log = subjectLogHeader(definition.sessionCount);
    for (const SubjectRecord& who : subjects) {
        const auto [lines, logLine] = wholeRun(who, definition);
        data += lines;
        log += logLine;
    }
    ASSERT_TRUE(writeFileAtomically(folder + "/" + name + ".dat", data));
    ASSERT_TRUE(writeFileAtomically(folder + "/" + name + ".slg", log));
    for (const auto& [list, a, b] :
         {std::tuple{"flowers.wls", "Flowers", "Insects"}, std::tuple{"pleasant.wls", "Pleasant", "Unpleasant"}}) {
        WordList words;
        words.entriesA[0].assign(a);
        words.entriesB[0].assign(b);
        words.entriesA[1].assign("x");
        words.entriesB[1].assign("y");
        words.entryCountA = words.entryCountB = 2;
        ASSERT_TRUE(writeWordListFile(words, folder + "/" + list));
    }
}

// --- the checker: what a Psych-DS dataset of ours must be ---

bool wellFormedUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > text.size() || (n == 2 && c < 0xC2))
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

// A JSON value of the kinds the description holds: strings, objects and arrays.
struct Json {
    enum Kind { String, Object, Array } kind = String;
    std::string text;
    std::vector<std::pair<std::string, Json>> members;
    std::vector<Json> items;

    const Json* operator[](const std::string& key) const
    {
        for (const auto& [name, value] : members)
            if (name == key)
                return &value;
        return nullptr;
    }
};

// Parses a JSON value of those kinds at text[at], white space around it; false where
// the text is no JSON (or holds a number, true, false or null).
bool parseJson(const std::string& text, std::size_t& at, Json& value)
{
    const auto take = [&](char c) {
        at = std::min(text.find_first_not_of(" \t\r\n", at), text.size());
        if (at == text.size() || text[at] != c)
            return false;
        ++at;
        return true;
    };
    const auto string = [&](std::string& out) {
        if (!take('"'))
            return false;
        while (at < text.size()) {
            const char c = text[at++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20 || (c == '\\' && at == text.size()))
                return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            const char e = text[at++];
            if (const std::size_t simple = std::string_view("\"\\/bfnrt").find(e); simple != std::string::npos) {
                out += "\"\\/\b\f\n\r\t"[simple];
            } else if (e == 'u' && at + 4 <= text.size() &&
                       text.substr(at, 4).find_first_not_of("0123456789abcdefABCDEF") == std::string::npos) {
                out += static_cast<char>(std::stoi(text.substr(at, 4), nullptr, 16));  // control characters only
                at += 4;
            } else {
                return false;
            }
        }
        return false;
    };
    if (take('{') || take('[')) {
        const bool object = text[at - 1] == '{';
        value.kind = object ? Json::Object : Json::Array;
        if (take(object ? '}' : ']'))
            return true;
        do {
            Json item;
            std::string name;
            if ((object && !(string(name) && take(':'))) || !parseJson(text, at, item))
                return false;
            if (object)
                value.members.emplace_back(name, std::move(item));
            else
                value.items.push_back(std::move(item));
        } while (take(','));
        return take(object ? '}' : ']');
    }
    return string(value.text);
}

// The rows of a CSV text, quoted cells unquoted; false when a quote is left open or a
// row does not end with a line feed.
bool csvRows(const std::string& text, std::vector<std::vector<std::string>>& rows)
{
    std::vector<std::string> row(1);
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"')
            row.back() += text[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            row.emplace_back();
        else if (!quoted && c == '\n')
            rows.push_back(std::exchange(row, std::vector<std::string>(1)));
        else
            row.back() += c;
    }
    return !quoted && row == std::vector<std::string>(1);
}

std::string fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What the dataset in root breaks of the rules, one text each; the data files'
// names are put in dataNames.
std::vector<std::string> datasetProblems(const std::string& root, std::set<std::string>& dataNames)
{
    std::vector<std::string> problems;
    const std::string description = fileBytes(root + "/dataset_description.json");
    Json json;
    std::size_t end = 0;
    if (!wellFormedUtf8(description) || !parseJson(description, end, json) ||
        description.find_first_not_of(" \n", end) != std::string::npos || json.kind != Json::Object)
        return {"dataset_description.json is no UTF-8 JSON object"};
    const auto text = [&](const Json* value) { return value && value->kind == Json::String ? value->text : ""; };
    if (text(json["@context"]) != "https://schema.org")
        problems.push_back("@context is not https://schema.org");
    if (text(json["@type"]) != "Dataset")
        problems.push_back("@type is not Dataset");
    if (text(json["name"]).empty() || text(json["description"]).empty())
        problems.push_back("no name or no description");
    std::set<std::string> variables;
    const Json* measured = json["variableMeasured"];
    if (!measured || measured->kind != Json::Array || measured->items.empty())
        problems.push_back("no variableMeasured");
    for (const Json& variable : measured ? measured->items : std::vector<Json>{}) {
        if (text(variable["@type"]) != "PropertyValue" || text(variable["description"]).empty())
            problems.push_back("a variable is no PropertyValue with a description");
        variables.insert(text(variable["name"]));
    }

    static const std::regex dataName(
        "^study-[a-zA-Z0-9]+_subject-[a-zA-Z0-9]+_session-[a-zA-Z0-9]+(_run-[0-9]+)?_data\\.csv$");
    for (const auto& entry : std::filesystem::directory_iterator(root + "/data")) {
        const std::string name = entry.path().filename().string();
        dataNames.insert(name);
        if (!std::regex_match(name, dataName))
            problems.push_back(name + ": the name is not a data file's");
        const std::string bytes = fileBytes(entry.path());
        std::vector<std::vector<std::string>> rows;
        if (!wellFormedUtf8(bytes) || !csvRows(bytes, rows) || rows.size() < 2) {
            problems.push_back(name + ": no UTF-8 CSV with a header and rows");
            continue;
        }
        if (std::set<std::string>(rows[0].begin(), rows[0].end()) != variables)
            problems.push_back(name + ": the columns are not the variables measured");
        // One problem of each kind a file.
        std::set<std::string> found;
        for (const std::vector<std::string>& row : rows) {
            if (row.size() != rows[0].size())
                found.insert(name + ": rows of other lengths than the header's");
            for (const std::string& cell : row)
                if (cell.size() > 1 && cell[0] == '\'' &&
                    std::string_view("=+-@\t\r").find(cell[1]) != std::string::npos)
                    found.insert(name + ": a cell protected for a spreadsheet");
        }
        problems.insert(problems.end(), found.begin(), found.end());
    }
    if (fileBytes(root + "/materials/codebook.txt") != codebookText())
        problems.push_back("materials/codebook.txt is not the codebook");
    return problems;
}

// The rows of the CSV without its header.
std::string rowsOf(const std::string& csv) { return csv.substr(csv.find('\n') + 1); }

// Three folders: a.dat names "My Study-2.inp" beside it, with subject 7 run twice;
// b.dat names MyStudy2.inp, found at the path its subject log gives, which reduces to
// the same stem; c.dat names "-.inp", which is nowhere.
TEST(PsychDs, TheDatasetHoldsEveryRunAndSessionByTheNamingRule)
{
    TempDirectory dir;
    const std::string a = dir.file("a"), b = dir.file("b"), c = dir.file("c");
    writeRuns(a, "a",
              {subject(7, "C:\\lab\\My Study-2.inp"), subject(8, "C:\\lab\\My Study-2.inp"),
               subject(7, "C:\\lab\\My Study-2.inp")});
    writeRuns(b, "b", {subject(7, dir.file("inputs/MyStudy2.inp"))});
    writeRuns(c, "c", {subject(9, "/nowhere/-.inp")});
    ASSERT_TRUE(writeInputFile(twoSessions(), a + "/My Study-2.inp"));
    std::filesystem::create_directories(dir.file("inputs"));
    ASSERT_TRUE(writeFileAtomically(dir.file("inputs/MyStudy2.inp"), "another\r\ninput file\xFF"));

    // As truv-results does with --psych-ds.
    std::string error;
    const auto line = parseResultsCommandLine({"--psych-ds", dir.file("ds"), a + "/a.dat", b + "/b.dat", c + "/c.dat",
                                               "--csv-raw", "--csv-trials", dir.file("t.csv")},
                                              error);
    ASSERT_TRUE(line) << error;
    const StudyResults study = readStudy(line->dataFiles, {}, diskFiles());
    ASSERT_EQ(study.runs.size(), 5u);
    const std::vector<ExportOutcome> outcomes = writeExports(line->exports(), study, [] { return std::string(); });
    ASSERT_EQ(outcomes.size(), 2u);
    ASSERT_TRUE(outcomes[1].written) << outcomes[1].refused << outcomes[1].written.error;
    ASSERT_EQ(outcomes[1].warnings.size(), 1u);
    EXPECT_NE(outcomes[1].warnings[0].find("the input file -.inp was not found"), std::string::npos)
        << outcomes[1].warnings[0];

    std::set<std::string> names;
    EXPECT_EQ(datasetProblems(dir.file("ds"), names), std::vector<std::string>{});
    // In the study's order of runs and sessions: the later of two equal names gets its
    // run's number; a stem of no letter or digit is "study".
    const std::vector<std::string> expected = {
        "study-MyStudy2_subject-7_session-1_data.csv",       "study-MyStudy2_subject-7_session-2_data.csv",
        "study-MyStudy2_subject-8_session-1_data.csv",       "study-MyStudy2_subject-8_session-2_data.csv",
        "study-MyStudy2_subject-7_session-1_run-3_data.csv", "study-MyStudy2_subject-7_session-2_run-3_data.csv",
        "study-MyStudy2_subject-7_session-1_run-4_data.csv", "study-MyStudy2_subject-7_session-2_run-4_data.csv",
        "study-study_subject-9_session-1_data.csv",          "study-study_subject-9_session-2_data.csv"};
    EXPECT_EQ(names, std::set<std::string>(expected.begin(), expected.end()));
    // The data files' rows are the raw trials CSV's, run by run and session by session.
    std::string rows;
    for (const std::string& name : expected)
        rows += rowsOf(dir.read("ds/data/" + name));
    EXPECT_TRUE(rows == rowsOf(dir.read("t.csv"))) << "the data files' rows are not the trials'";
    EXPECT_NE(rows.find(",=sum,"), std::string::npos);
    EXPECT_NE(rows.find(",Bl\xC3\xBCte,"), std::string::npos);

    const std::string description = dir.read("ds/dataset_description.json");
    EXPECT_NE(description.find("\"name\": \"My Study-2, MyStudy2, -\""), std::string::npos) << description;
    EXPECT_NE(description.find("a.dat, b.dat, c.dat"), std::string::npos) << description;
    // The input files found, byte for byte; none for the one not found.
    std::vector<std::string> materials;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("ds/materials")))
        materials.push_back(entry.path().filename().string());
    std::sort(materials.begin(), materials.end());
    EXPECT_EQ(materials, (std::vector<std::string>{"My Study-2.inp", "MyStudy2.inp", "codebook.txt"}));
    EXPECT_EQ(dir.read("ds/materials/My Study-2.inp"), dir.read("a/My Study-2.inp"));
    EXPECT_EQ(dir.read("ds/materials/MyStudy2.inp"), "another\r\ninput file\xFF");
}

// The dataset goes to a new folder, an empty one or one of its own; never over a file
// the study is read from. Written again, it drops the data files it no longer has.
TEST(PsychDs, TheFolderMustBeNewEmptyOrAnEarlierDataset)
{
    TempDirectory dir;
    writeRuns(dir.path(), "a", {subject(7, "/x/s.inp"), subject(8, "/x/s.inp")});
    ASSERT_TRUE(writeFileAtomically(dir.file("notes.txt"), "mine"));
    std::filesystem::create_directories(dir.file("empty"));
    std::filesystem::create_directories(dir.file("theirs"));
    ASSERT_TRUE(writeFileAtomically(dir.file("theirs/dataset_description.json"), "{\"description\": \"other\"}"));
    StudyResults study = readStudy({dir.file("a.dat")}, {}, diskFiles());
    ASSERT_EQ(study.runs.size(), 2u);
    const auto exportTo = [&](const std::string& folder) {
        return writeExports({{ResultsExport::PsychDs, folder}}, study, [] { return std::string(); }).front();
    };
    const struct {
        std::string folder;
        std::string refused;  // a part of the refusal; "" none
    } cases[] = {
        {dir.file("a.dat"), "is a data file of the study"},
        {dir.file("a.slg"), "is a subject log of the study"},
        {dir.file("notes.txt"), "is not a folder"},
        {dir.path(), "holds other files and no dataset truv-results wrote"},
        {dir.file("theirs"), "holds other files"},
        {dir.file("empty"), ""},
        {dir.file("new"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        const ExportOutcome outcome = exportTo(c.folder);
        if (c.refused.empty()) {
            EXPECT_TRUE(outcome.written) << outcome.refused << outcome.written.error;
            continue;
        }
        EXPECT_NE(outcome.refused.find(c.refused), std::string::npos) << outcome.refused;
        EXPECT_FALSE(outcome.written);
    }
    EXPECT_EQ(dir.read("notes.txt"), "mine");
    EXPECT_EQ(dir.read("theirs/dataset_description.json"), "{\"description\": \"other\"}");
    const ExportOutcome missingParent = exportTo(dir.file("gone/ds"));
    EXPECT_NE(missingParent.written.error.find("cannot create the folder " + dir.file("gone/ds")), std::string::npos)
        << missingParent.written.error;

    // Written again with one run less: the other's files go, a file of someone else's stays.
    ASSERT_TRUE(writeFileAtomically(dir.file("new/README"), "kept"));
    study.runs.pop_back();
    ASSERT_TRUE(exportTo(dir.file("new")).written);
    std::set<std::string> names;
    EXPECT_EQ(datasetProblems(dir.file("new"), names), std::vector<std::string>{});
    EXPECT_EQ(names,
              (std::set<std::string>{"study-s_subject-7_session-1_data.csv", "study-s_subject-7_session-2_data.csv"}));
    EXPECT_EQ(dir.read("new/README"), "kept");
}

}  // namespace
