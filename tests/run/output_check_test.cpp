#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "run/output_check.h"
#include "sim/sim_options.h"
#include "sim/simulated_participant.h"
#include "run/subject_page.h"
#include "common/temp_directory.h"

namespace {

// The two-session example study, loaded as the run loads it.
StudyFiles exampleStudy()
{
    StudyFiles study;
    EXPECT_FALSE(loadDefinition(study, TRUV_EXAMPLES_DIR "/demo/demo-two-sessions.inp"));
    EXPECT_FALSE(loadStudyLists(study));
    return study;
}

SubjectRecord subjectWritingTo(const std::string& dataPath)
{
    SubjectPageEntries entries;
    entries.inputPath = TRUV_EXAMPLES_DIR "/demo/demo-two-sessions.inp";
    entries.dataPath = dataPath;
    entries.otherCode = "12345678";
    return makeSubjectRecord(entries, 999, {2026, 12, 7, 9, 4, 5});
}

}  // namespace

// The free space each file system needs is the most the run can write to the files
// it holds, counted in whole blocks; a file system that cannot be asked is left to
// the appends.
TEST(OutputCheck, EachFileSystemMustHoldEverythingTheRunCanWriteToIt)
{
    const StudyFiles study = exampleStudy();
    const SubjectRecord subject = subjectWritingTo("/lab/out.dat");
    const std::uint64_t data = mostDataBytes(subject, study);
    const std::uint64_t log = mostSubjectLogBytes(subject, study);
    const std::uint64_t timing = mostTimingBytes(subject, study);
    const std::uint64_t block = 4096;
    const auto blocks = [&](std::uint64_t bytes) { return (bytes + block - 1) / block * block + block; };
    const std::uint64_t both = blocks(data) + blocks(log) + blocks(timing);

    const struct {
        const char* what;
        SpaceProbe probe;
        const char* refusedFor;  // nullptr: accepted
    } cases[] = {
        {"plenty",
         [&](const std::string&) {
             return FileSystemSpace{1, 1ull << 40, block};
         },
         nullptr},
        {"exactly enough",
         [&](const std::string&) {
             return FileSystemSpace{1, both, block};
         },
         nullptr},
        {"a byte short",
         [&](const std::string&) {
             return FileSystemSpace{1, both - 1, block};
         },
         "/lab/out.dat, /lab/out.slg and /lab/out.timing.tsv: the file system has "},
        {"unknown", [](const std::string&) { return std::optional<FileSystemSpace>(); }, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto refusal = outputRefusal(subject, study, c.probe);
        if (!c.refusedFor) {
            EXPECT_FALSE(refusal) << refusal->detail;
            continue;
        }
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->message, noRoomMessage);
        EXPECT_EQ(refusal->detail.substr(0, std::string(c.refusedFor).size()), c.refusedFor) << refusal->detail;
    }

    // Two file systems: each is asked for its own file only.
    SubjectRecord split = subject;
    split.subjectLogPath = "/logs/out.slg";
    const SpaceProbe separate = [&](const std::string& directory) {
        return directory == "/lab" ? FileSystemSpace{1, blocks(data) + blocks(timing), block}
                                   : FileSystemSpace{2, blocks(log) - 1, block};
    };
    const auto refusal = outputRefusal(split, study, separate);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->detail.substr(0, 28), "/logs/out.slg: the file syst") << refusal->detail;
}

// The bound holds for a real run of the study, and is not far above it.
TEST(OutputCheck, TheMostARunCanWriteBoundsARealRun)
{
    TempDirectory dir;
    SimOptions options;
    options.inputPath = TRUV_EXAMPLES_DIR "/demo/demo-two-sessions.inp";
    options.dataPath = dir.file("out.dat");
    options.subjectNumber = "999";
    options.otherCode = "12345678";
    options.seed = 3;
    options.rtTau = 5000;  // long latencies, wide fields
    options.rtMean = 9000;
    options.errorRate = 1;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(runSimulation(options, {2026, 12, 7, 9, 4, 5}, out, err), 0) << err.str();

    const StudyFiles study = exampleStudy();
    const SubjectRecord subject = subjectWritingTo(dir.file("out.dat"));
    const std::uint64_t data = std::filesystem::file_size(dir.file("out.dat"));
    const std::uint64_t log = std::filesystem::file_size(dir.file("out.slg"));
    EXPECT_LE(data, mostDataBytes(subject, study));
    EXPECT_GE(2 * data, mostDataBytes(subject, study));
    EXPECT_LE(log, mostSubjectLogBytes(subject, study));
    EXPECT_LE(std::filesystem::file_size(dir.file("out.timing.tsv")), mostTimingBytes(subject, study));
}

// A disk is named by where it is mounted, found from any path: a file, a folder not
// made yet, a path relative to the current folder.
TEST(OutputCheck, ADiskIsNamedByWhereItIsMounted)
{
    const std::string current = std::filesystem::current_path().string();
    const std::pair<std::string, std::string> cases[] = {
        {"/proc/self/status", "/proc"},
        {"/proc/no/such/folder/run.dat", "/proc"},
        {"/", "/"},
        {"run.dat", mountPointOf(current + "/run.dat")},
        {"../x/../run.dat", mountPointOf(current + "/../run.dat")},
    };
    for (const auto& [path, mount] : cases)
        EXPECT_EQ(mountPointOf(path), mount) << path;
}
