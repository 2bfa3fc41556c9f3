#include <gtest/gtest.h>

#include <tuple>

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
        EXPECT_EQ(r.inputDirectory, "/home/lab/study");
        EXPECT_EQ(r.inputName, "intro.inp");
        EXPECT_EQ(r.subjectLogPath, "/home/lab/data/results.slg");
        EXPECT_EQ(r.otherCode, "gr\xFCn");  // stored single-byte
        EXPECT_EQ(r.start.minute, 5);
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
