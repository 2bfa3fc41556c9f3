#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include <unistd.h>

#include "run/subject_page.h"

namespace {

const LocalDateTime start{1998, 3, 30, 14, 5, 0};

SubjectPageEntries entries(const std::string& input, const std::string& data)
{
    SubjectPageEntries e = initialSubjectEntries(start);
    e.inputPath = input;
    e.dataPath = data;
    return e;
}

std::string messageFor(const SubjectPageEntries& e, bool inputExists)
{
    const auto errors = checkSubjectEntries(e, [&](const std::string&) { return inputExists; });
    return subjectPageMessage(errors).value_or("(keeps its text)");
}

}  // namespace

TEST(SubjectPage, StartsWithTheRootTheRunsDateAndTimeAndNoSubject)
{
    const SubjectPageEntries e = initialSubjectEntries(start);
    EXPECT_EQ(e.inputPath, "/");
    EXPECT_EQ(e.dataPath, "/");
    EXPECT_EQ(e.dateText, "3/30/98");
    EXPECT_EQ(e.timeText, "14: 5");
    EXPECT_EQ(e.subjectNumber, "0");
    EXPECT_EQ(e.sexIndex, -1);
    EXPECT_EQ(runDateText({2026, 12, 7, 0, 0, 0}), "12/7/126");
}

TEST(SubjectPage, TheLastErrorInOrderIsTheOneShown)
{
    EXPECT_EQ(messageFor(entries("", ""), false), "Error:  you need to write an input file name.");
    EXPECT_EQ(messageFor(entries("/exp/study.inp", ""), true), "Error:  you need to specify an output file (*.dat).");
    // Absent input and a wrong extension: the extension message replaces the other.
    EXPECT_EQ(messageFor(entries("/exp/study.inp", "/exp/out.txt"), false),
              "Error:  you need to specify an output file (*.dat).");
    // Once the extension is right, the missing input file is what is shown.
    EXPECT_EQ(messageFor(entries("/exp/study.inp", "/exp/out.dat"), false),
              "Error:  could not find specified input file.");
    EXPECT_EQ(messageFor(entries("/exp/study.inp", "/exp/out.dat"), true), "(keeps its text)");
    // An empty input path is never looked up.
    bool asked = false;
    checkSubjectEntries(entries("", "/a.dat"), [&](const std::string&) { return asked = true; });
    EXPECT_FALSE(asked);
}

TEST(SubjectPage, TheDataFileMustEndInLowerCaseDat)
{
    for (const char* good : {"/exp/results.dat", "/a.b/c.dat", "x.dat"})
        EXPECT_TRUE(hasDataFileExtension(good)) << good;
    for (const char* bad : {"/exp/results.DAT", "/exp/results.txt", "/data.2/results", "/exp/results", "",
                            "/exp/results.", "/exp/results.data", "/exp/dat"})
        EXPECT_FALSE(hasDataFileExtension(bad)) << bad;
}

TEST(SubjectPage, ABrowsedInputFileProposesOutputDatBesideIt)
{
    EXPECT_EQ(proposedDataPath("/exp/study.inp"), "/exp/output.dat");
    EXPECT_EQ(proposedDataPath("/study.inp"), "/output.dat");
}

TEST(SubjectPage, FieldChecksUseTheStandardMessagesAndCountSingleBytes)
{
    int number = -1;
    SubjectPageEntries e = entries("/a.inp", "/a.dat");
    const auto check = [&] { return checkSubjectFields(e, number).value_or("ok"); };
    EXPECT_EQ(check(), "ok");
    EXPECT_EQ(number, 0);
    e.subjectNumber = "abc";
    EXPECT_EQ(check(), "Please enter an integer.");
    e.subjectNumber = "1000";
    EXPECT_EQ(check(), "Please enter an integer between 0 and 999.");
    e.subjectNumber = "999";
    EXPECT_EQ(check(), "ok");
    EXPECT_EQ(number, 999);
    e.otherCode = "123456789";
    EXPECT_EQ(check(), "Please enter no more than 8 characters.");
    e.otherCode = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC";  // 4 é and 4 €
    EXPECT_EQ(check(), "ok");
    e.otherCode = "\xC5\x82";  // ł has no single-byte form
    EXPECT_EQ(check(), singleByteOnlyMessage);
    e.otherCode = "";
    e.dataPath = "/" + std::string(250, 'd') + ".dat";  // 255 characters
    EXPECT_EQ(check(), "ok");
    e.dataPath = "/" + std::string(251, 'd') + ".dat";
    EXPECT_EQ(check(), "Please enter no more than 255 characters.");
}

TEST(SubjectPage, TheRecordDerivesDirectoryNameLogPathAndSexCode)
{
    SubjectPageEntries e = entries("/home/lab/study/intro.inp", "/home/lab/data/results.dat");
    e.otherCode = "gr\xC3\xBCn";  // grün
    for (const auto& [index, code] : {std::pair{-1, ""}, std::pair{0, "m"}, std::pair{1, "f"}}) {
        e.sexIndex = index;
        const SubjectRecord r = makeSubjectRecord(e, 17, start);
        EXPECT_EQ(r.sexCode, code);
        EXPECT_EQ(r.subjectNumber, 17);
        EXPECT_EQ(r.inputName, "intro.inp");
        EXPECT_EQ(r.subjectLogPath, "/home/lab/data/results.slg");
        EXPECT_EQ(r.otherCode, "gr\xFCn");  // stored single-byte
        EXPECT_EQ(r.start.minute, 5);
    }
}

TEST(SubjectPage, OkChecksTheFieldsFirstThenThePageAndOnlyThenMakesTheRecord)
{
    // subject number, input path, data path -> field message, the page's errors, record
    const struct {
        const char* number;
        const char* input;
        const char* data;
        bool field, page, record;
    } cases[] = {
        {"12", "/a.inp", "/a.dat", false, false, true},
        {"12", "", "/a.txt", false, true, false},
        {"x", "", "/a.txt", true, false, false},  // the page's own checks wait for the fields
    };
    for (const auto& c : cases) {
        SubjectPageEntries e = entries(c.input, c.data);
        e.subjectNumber = c.number;
        const SubjectPageAcceptance a = acceptSubjectPage(e, start, [](const std::string&) { return true; });
        EXPECT_EQ(a.fieldMessage.has_value(), c.field) << c.number << c.data;
        EXPECT_EQ(a.errors.any(), c.page) << c.number << c.data;
        EXPECT_EQ(a.record.has_value(), c.record) << c.number << c.data;
        if (a.record) {
            EXPECT_EQ(std::tuple(a.record->subjectNumber, a.record->inputName), std::tuple(12, "a.inp"));
        }
    }
}

TEST(SubjectPage, AnInputFileThatIsThereButCannotBeUsedGetsASecondLineWithTheReason)
{
    const std::string notFound = "Error:  could not find specified input file.";
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"/exp/out.dat", "exists, but: Is a directory", notFound + "\n/exp/study.inp (exists, but: Is a directory)"},
        {"/exp/out.dat", "", notFound},  // nothing there: the one line
        {"/exp/out.txt", "exists, but: Is a directory", "Error:  you need to specify an output file (*.dat)."},
    };
    for (const auto& [data, reason, message] : cases) {
        const auto errors = checkSubjectEntries(
            entries("/exp/study.inp", data), [](const std::string&) { return false; },
            [&](const std::string& path) { return path == "/exp/study.inp" ? reason : "wrong path"; });
        EXPECT_EQ(subjectPageMessage(errors).value_or("(keeps its text)"), message) << data << reason;
    }
}

// A tab, carriage return or line feed in either path would tear the lines of the
// output files (the subject log holds the input path): OK refuses it with the reason,
// whatever else is wrong.
TEST(SubjectPage, APathThatWouldTearTheOutputLinesIsRefused)
{
    const std::string torn = "the path holds ";
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"/exp/a\tb/study.inp", "/exp/out.dat", "Error:  cannot use the input file's path: " + torn + "a tab"},
        {"/exp/study.inp", "/exp/out\r.dat",
         "Error:  cannot use the output file's path: " + torn + "a carriage return"},
        {"/exp/study.inp", "/exp/new\nline/out.txt",
         "Error:  cannot use the output file's path: " + torn + "a line break"},
        {"/exp/study.inp", "/exp/out.dat", "(keeps its text)"},
    };
    for (const auto& [input, data, expected] : cases) {
        SCOPED_TRACE(input + " " + data);
        EXPECT_EQ(messageFor(entries(input, data), true).substr(0, expected.size()), expected);
    }
}

// A data file reached through a symbolic link is named as such, with where the
// subject log goes: beside the path as typed.
TEST(SubjectPage, ADataFileThroughALinkIsNamedWithWhereTheSubjectLogGoes)
{
    char folder[] = "/tmp/truv-link-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string dir = folder;
    {
        std::ofstream(dir + "/study.dat") << "";
    }
    ASSERT_EQ(symlink((dir + "/study.dat").c_str(), (dir + "/link.dat").c_str()), 0);
    EXPECT_EQ(dataLinkNote(dir + "/study.dat"), std::nullopt);
    EXPECT_EQ(dataLinkNote(dir + "/missing.dat"), std::nullopt);
    EXPECT_EQ(dataLinkNote(dir + "/link.dat"), "Note:  the output file is a symbolic link to " + dir +
                                                   "/study.dat;\nthe subject log goes beside the link: " + dir +
                                                   "/link.slg");
    std::filesystem::remove_all(dir);
}
