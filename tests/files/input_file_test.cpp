#include <gtest/gtest.h>

#include <random>

#include "common/temp_directory.h"
#include "files/input_file.h"

namespace {

ExperimentDefinition exampleDefinition(int sessions)
{
    ExperimentDefinition definition;
    definition.instructionFileName.assign("intro.bgi");
    definition.sessionCount = sessions;
    for (int s = 0; s < sessions; ++s) {
        SessionSettings& session = definition.sessions[s];
        session.Cat1.assign("pairs" + std::to_string(2 * s + 1) + ".wls");
        session.Cat2.assign("pairs" + std::to_string(2 * s + 2) + ".qls");
        session.Cat1p = s % 2;
        session.Cat2p = 1 - s % 2;
        session.Catsw = s % 2 == 0 ? 1 : 0;
        session.Delay = 150 + s;
        session.nPrac = 20 + s;
        session.nReal = 40 + s;
    }
    definition.tutorialIncluded = 1;
    definition.editListsIncluded = 1;
    return definition;
}

std::string format(const ExperimentDefinition& definition)
{
    std::string bytes, reason;
    EXPECT_TRUE(formatInputFile(definition, bytes, reason)) << reason;
    return bytes;
}

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

// Every field of a definition, unused sessions included, in one comparable line.
std::string settingsOf(const ExperimentDefinition& definition)
{
    std::string line = definition.instructionFileName.str() + " " + std::to_string(definition.sessionCount);
    for (const SessionSettings& session : definition.sessions) {
        line += " | " + session.Cat1.str() + " " + session.Cat2.str();
        for (int value : {session.Cat1p, session.Cat2p, session.Catsw, session.Delay, session.nPrac, session.nReal})
            line += " " + std::to_string(value);
    }
    return line + " | " + std::to_string(definition.tutorialIncluded) + " " +
           std::to_string(definition.editListsIncluded);
}

void expectWithinCapacity(const ExperimentDefinition& definition)
{
    EXPECT_GE(definition.sessionCount, 0);
    EXPECT_LE(definition.sessionCount, maxSessions);
    EXPECT_LE(definition.instructionFileName.size(), instructionFileNameCapacity);
    for (const SessionSettings& session : definition.sessions) {
        EXPECT_LE(session.Cat1.size(), listFileNameCapacity);
        EXPECT_LE(session.Cat2.size(), listFileNameCapacity);
        EXPECT_TRUE(session.Cat1p == 0 || session.Cat1p == 1);
        EXPECT_TRUE(session.Cat2p == 0 || session.Cat2p == 1);
        EXPECT_TRUE(session.Delay >= 0 && session.Delay <= maxDelay);
        EXPECT_TRUE(session.nPrac >= 0 && session.nPrac <= maxTrials);
        EXPECT_TRUE(session.nReal >= 0 && session.nReal <= maxTrials);
    }
}

}  // namespace

TEST(InputFile, OneSessionByteForByte)
{
    ExperimentDefinition definition = exampleDefinition(1);
    definition.sessions[0].Cat2.assign("pairs2.wls");
    EXPECT_EQ(format(definition), "intro.bgi\t1\tpairs1.wls\tpairs2.wls\t0\t1\t1\t150\t20\t40\t1\t1\r\n");
}

TEST(InputFile, NineSessionsMakeSeventySixFields)
{
    const std::string bytes = format(exampleDefinition(9));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    const std::string line = bytes.substr(0, bytes.size() - 2);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    const auto fields = splitTabs(line);
    ASSERT_EQ(fields.size(), 76u);
    for (const std::string& field : fields)
        EXPECT_FALSE(field.empty());
    EXPECT_EQ(fields[66], "pairs17.wls");
    EXPECT_EQ(fields[73], "48");
    EXPECT_EQ(fields[75], "1");
}

TEST(InputFile, WrittenFilesReadBackUnchanged)
{
    TempDirectory dir;
    for (int sessions = 1; sessions <= maxSessions; ++sessions) {
        ExperimentDefinition definition = exampleDefinition(sessions);
        definition.tutorialIncluded = sessions % 2;
        definition.sessions[0].Catsw = 0;
        definition.sessions[0].Delay = maxDelay;
        definition.sessions[0].nReal = maxTrials;
        definition.sessions[0].nPrac = 0;
        definition.sessions[0].Cat1.assign(std::string(listFileNameCapacity, 'n'));
        const std::string path = dir.file("study.inp");
        ASSERT_TRUE(writeInputFile(definition, path));
        const ExperimentDefinition read = readInputFile(path);
        EXPECT_TRUE(read.problems.empty()) << read.problems.front();
        EXPECT_EQ(settingsOf(read), settingsOf(definition));
    }
}

TEST(InputFile, FieldsMayBeSeparatedByAnyWhiteSpace)
{
    const ExperimentDefinition read = parseInputFile("intro.bgi 2\npairs1.wls   pairs2.wls\r\n1 0 0 5 10 30\n\n"
                                                     "\tpairs3.wls pairs1.wls 0 1 1 0 0 100\r\n0\r\n1",
                                                     "blank.inp");
    EXPECT_TRUE(read.problems.empty());
    ExperimentDefinition expected = exampleDefinition(2);
    expected.sessions[0] = {};
    expected.sessions[0].Cat1.assign("pairs1.wls");
    expected.sessions[0].Cat2.assign("pairs2.wls");
    expected.sessions[0].Cat1p = 1;
    expected.sessions[0].Catsw = 0;
    expected.sessions[0].Delay = 5;
    expected.sessions[0].nPrac = 10;
    expected.sessions[0].nReal = 30;
    expected.sessions[1] = {};
    expected.sessions[1].Cat1.assign("pairs3.wls");
    expected.sessions[1].Cat2.assign("pairs1.wls");
    expected.sessions[1].Cat2p = 1;
    expected.sessions[1].nPrac = 0;
    expected.sessions[1].nReal = 100;
    expected.tutorialIncluded = 0;
    EXPECT_EQ(settingsOf(read), settingsOf(expected));
}

TEST(InputFile, ShortFilesKeepTheDefaults)
{
    const ExperimentDefinition afterCount = parseInputFile("intro.bgi\t3\t", "short.inp");
    ExperimentDefinition expected;
    expected.instructionFileName.assign("intro.bgi");
    expected.sessionCount = 3;
    EXPECT_EQ(settingsOf(afterCount), settingsOf(expected));
    EXPECT_EQ(settingsOf(afterCount).substr(0, 30), "intro.bgi 3 |   0 0 1 0 20 40 ");
    ASSERT_EQ(afterCount.problems.size(), 1u);
    EXPECT_EQ(afterCount.problems[0], "input file short.inp: the file ends before field 3 (session 1 Cat1); "
                                      "it and the later fields keep their defaults");

    const ExperimentDefinition nameOnly = parseInputFile("intro.bgi\r\n", "name.inp");
    EXPECT_EQ(nameOnly.instructionFileName, "intro.bgi");
    EXPECT_EQ(nameOnly.sessionCount, 0);
    EXPECT_EQ(nameOnly.problems.size(), 1u);

    // Only the flags missing.
    std::string bytes = format(exampleDefinition(1));
    bytes.resize(bytes.size() - 6);
    const ExperimentDefinition noFlags = parseInputFile(bytes, "flags.inp");
    EXPECT_EQ(noFlags.sessions[0].nReal, 40);
    EXPECT_EQ(noFlags.tutorialIncluded, 0);
    EXPECT_EQ(noFlags.editListsIncluded, 0);
    ASSERT_EQ(noFlags.problems.size(), 1u);
    EXPECT_NE(noFlags.problems[0].find("field 11 (tutorialIncluded)"), std::string::npos);

    EXPECT_EQ(parseInputFile(" \r\n", "empty.inp").problems,
              std::vector<std::string>{"input file empty.inp: the file is empty"});
}

TEST(InputFile, ANonNumericTokenStopsExtraction)
{
    const ExperimentDefinition read =
        parseInputFile("intro.bgi\t2\ta.wls\tb.wls\t1\t1\t0\tslow\t30\t50\tc.wls\td.wls\t1\t1\t0\t9\t9\t9\t1\t1\r\n",
                       "bad.inp");
    EXPECT_EQ(read.sessionCount, 2);
    EXPECT_EQ(read.sessions[0].Cat2, "b.wls");
    EXPECT_EQ(read.sessions[0].Cat1p, 1);
    EXPECT_EQ(read.sessions[0].Catsw, 0);
    EXPECT_EQ(read.sessions[0].Delay, 0);
    EXPECT_EQ(read.sessions[0].nPrac, 20);
    EXPECT_EQ(read.sessions[0].nReal, 40);
    EXPECT_TRUE(read.sessions[1].Cat1.empty());
    EXPECT_EQ(read.tutorialIncluded, 0);
    ASSERT_EQ(read.problems.size(), 1u);
    EXPECT_EQ(read.problems[0], "input file bad.inp: field 8 (session 1 Delay) is \"slow\", not an integer; "
                                "it and the later fields keep their defaults");

    const ExperimentDefinition badCount = parseInputFile("intro.bgi\tnine\ta.wls", "count.inp");
    EXPECT_EQ(badCount.sessionCount, 0);
    EXPECT_EQ(badCount.problems.size(), 1u);
}

TEST(InputFile, SessionCountsOutsideOneToNine)
{
    // Twelve sessions: nine are kept, and the flags are still found after the rest.
    ExperimentDefinition nine = exampleDefinition(9);
    std::string bytes = "intro.bgi\t12\t";
    const std::string all = format(nine);
    const std::string head = "intro.bgi\t9\t";
    const std::string flags = "1\t1\r\n";
    const std::string sessions = all.substr(head.size(), all.size() - head.size() - flags.size());
    bytes += sessions;
    for (int extra = 0; extra < 3; ++extra)
        bytes += "x.wls\ty.wls\t5\t5\t5\t5000\t500\t500\t";
    bytes += "0\t1\r\n";
    const ExperimentDefinition twelve = parseInputFile(bytes, "many.inp");
    EXPECT_EQ(twelve.sessionCount, 9);
    nine.tutorialIncluded = 0;
    EXPECT_EQ(settingsOf(twelve), settingsOf(nine));
    EXPECT_EQ(twelve.problems,
              std::vector<std::string>{"input file many.inp: the session count is 12; it must lie between 1 and 9"});

    for (const char* count : {"0", "-4"}) {
        const ExperimentDefinition none = parseInputFile("intro.bgi " + std::string(count) + " 1 1", "none.inp");
        EXPECT_EQ(none.sessionCount, 0);
        EXPECT_EQ(none.tutorialIncluded, 1);
        EXPECT_EQ(none.editListsIncluded, 1);
        EXPECT_EQ(none.problems.size(), 1u) << count;
    }
}

TEST(InputFile, ValuesARunCouldNotUseAreClampedAndRecorded)
{
    const ExperimentDefinition read = parseInputFile("intro.bgi 1 a.wls b.wls 2 -1 7 1000 101 -5 3 4", "range.inp");
    const SessionSettings& session = read.sessions[0];
    EXPECT_EQ(session.Cat1p, 1);
    EXPECT_EQ(session.Cat2p, 0);
    EXPECT_EQ(session.Catsw, 7);  // switches neither pair; not a problem
    EXPECT_EQ(session.Delay, maxDelay);
    EXPECT_EQ(session.nPrac, maxTrials);
    EXPECT_EQ(session.nReal, 0);
    EXPECT_EQ(read.tutorialIncluded, 3);
    EXPECT_EQ(read.editListsIncluded, 4);
    ASSERT_EQ(read.problems.size(), 5u);
    EXPECT_EQ(read.problems[3], "input file range.inp: session 1 nPrac is 101; it must lie between 0 and 100");
}

TEST(InputFile, OverlongNamesAndTrailingTextAreRecorded)
{
    const std::string longName(45, 'i');
    const std::string longList(41, 'l');
    const ExperimentDefinition read = parseInputFile(longName + " 1 " + longList + " b.wls 0 0 1 0 20 40 1 1 surplus",
                                                     "long.inp");
    EXPECT_EQ(read.instructionFileName, longName.substr(0, instructionFileNameCapacity));
    EXPECT_EQ(read.sessions[0].Cat1, longList.substr(0, listFileNameCapacity));
    EXPECT_EQ(read.sessions[0].Cat2, "b.wls");
    EXPECT_EQ(read.editListsIncluded, 1);
    ASSERT_EQ(read.problems.size(), 3u);
    EXPECT_NE(read.problems[0].find("longer than 40 characters"), std::string::npos);
    EXPECT_NE(read.problems[1].find("session 1 Cat1"), std::string::npos);
    EXPECT_EQ(read.problems[2], "input file long.inp: text follows the last field (editListsIncluded)");
}

TEST(InputFile, DefinitionsThatWouldNotReadBackAreRefused)
{
    const auto refused = [](auto change) {
        ExperimentDefinition definition = exampleDefinition(2);
        change(definition);
        std::string bytes = "untouched", reason;
        const bool ok = formatInputFile(definition, bytes, reason);
        if (!ok) {
            EXPECT_EQ(bytes, "untouched");
        }
        return !ok && !reason.empty();
    };
    EXPECT_TRUE(refused([](ExperimentDefinition& d) { d.instructionFileName.clear(); }));
    EXPECT_TRUE(refused([](ExperimentDefinition& d) { d.instructionFileName.assign("my intro.bgi"); }));
    EXPECT_TRUE(refused([](ExperimentDefinition& d) { d.sessionCount = 0; }));
    EXPECT_TRUE(refused([](ExperimentDefinition& d) { d.sessionCount = 10; }));
    EXPECT_TRUE(refused([](ExperimentDefinition& d) { d.sessions[1].Cat2.clear(); }));
    EXPECT_TRUE(refused([](ExperimentDefinition& d) { d.sessions[1].Cat1.assign("a\tb.wls"); }));
    EXPECT_TRUE(refused([](ExperimentDefinition& d) { d.sessions[0].Delay = 1000; }));
    EXPECT_TRUE(refused([](ExperimentDefinition& d) { d.sessions[0].nReal = -1; }));
    EXPECT_FALSE(refused([](ExperimentDefinition& d) { d.sessions[5].Cat1.clear(); }));  // not in use

    TempDirectory dir;
    ExperimentDefinition bad = exampleDefinition(1);
    bad.sessionCount = 0;
    const WriteOutcome outcome = writeInputFile(bad, dir.file("bad.inp"));
    EXPECT_FALSE(outcome);
    EXPECT_EQ(outcome.error.rfind("cannot write " + dir.file("bad.inp") + ": ", 0), 0u);
    EXPECT_TRUE(dir.entries().empty());
    EXPECT_FALSE(writeInputFile(exampleDefinition(1), dir.file("missing/x.inp")));
    EXPECT_FALSE(readInputFile(dir.file("missing/x.inp")).problems.empty());
}

TEST(InputFile, TruncatedFilesAreShortNeverBroken)
{
    const std::string whole = format(exampleDefinition(9));
    // The file is complete once the last field's digit is there.
    const std::size_t complete = whole.size() - 2;
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        SCOPED_TRACE(length);
        const ExperimentDefinition read = parseInputFile(whole.substr(0, length), "cut.inp");
        expectWithinCapacity(read);
        EXPECT_EQ(read.problems.empty(), length >= complete);
    }
}

TEST(InputFile, GarbageNeverBreaksTheReader)
{
    std::mt19937 random(2024);
    const std::string pieces[] = {"\t",
                                  " ",
                                  "\r\n",
                                  "9",
                                  "-",
                                  "12",
                                  "99999999999",
                                  "a.wls",
                                  "#",
                                  "1000",
                                  std::string(50, 'x'),
                                  "2147483647",
                                  std::string(1, '\0')};
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        const int length = static_cast<int>(random() % 120);
        for (int i = 0; i < length; ++i) {
            if (round % 2 == 0)
                bytes += static_cast<char>(random() % 256);
            else
                bytes += pieces[random() % std::size(pieces)];
        }
        const ExperimentDefinition read = parseInputFile(bytes, "garbage.inp");
        expectWithinCapacity(read);
    }
}
