// What the program writes, byte for byte, against files made once: two runs of the
// simulated participant at a fixed date, time and seed, each from an input file named
// relative to the study folder (the example study's two sessions, with its
// questionnaire, and a study of three sessions with a block cut short), then the
// codebook and truv-results' two CSV files of both. Any change to a format, a rule
// that decides what is shown or recorded, or the simulated participant shows here.
// With TRUV_WRITE_EXPECTED set to a folder, the files as written now are put there,
// to be looked at (and, after a change meant to alter them, copied over these).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include <unistd.h>

#include "common/temp_directory.h"
#include "results/results_exports.h"
#include "results/results_reading.h"
#include "run/codebook.h"
#include "sim/simulated_participant.h"

namespace {

namespace fs = std::filesystem;

const fs::path expectedFolder = fs::path(TRUV_EXAMPLES_DIR).parent_path() / "tests/run/unchanged_outputs";

std::string bytesOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs in the study folder, as a lab types a relative path; back where it was after.
class InFolder {
public:
    explicit InFolder(const std::string& folder) : before_(fs::current_path()) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(before_); }

private:
    fs::path before_;
};

}  // namespace

TEST(UnchangedOutputs, RunsCodebookAndExportsAreTheBytesTheyWere)
{
    TempDirectory dir;
    for (const auto& entry : fs::directory_iterator(fs::path(TRUV_EXAMPLES_DIR) / "demo"))
        fs::copy_file(entry.path(), dir.file(entry.path().filename().string()));
    // Three sessions: the lists change places and switch sides in turn.
    dir.write("three.inp", "intro.bgi\t3\tvehicles-clothing.wls\tsummer-winter.wls\t0\t1\t0\t0\t4\t6\t"
                           "summer-winter.wls\tvehicles-clothing.wls\t1\t0\t1\t250\t4\t6\t"
                           "vehicles-clothing.wls\tsummer-winter.wls\t1\t1\t0\t100\t3\t5\t0\t0\r\n");

    InFolder inStudy(dir.path());
    std::map<std::string, std::string> written;
    const struct {
        const char* input;
        const char* data;
        const char* subject;
        int sex;
        const char* other;
        std::uint32_t seed;
        std::vector<SkipRequest> skips;
    } runs[] = {
        {"demo-two-sessions.inp", "demo.dat", "12", 1, "room2", 7, {}},
        {"three.inp", "three.dat", "13", 0, "", 11, {{3, 2}}},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.input);
        SimOptions options;
        options.inputPath = run.input;
        options.dataPath = run.data;
        options.subjectNumber = run.subject;
        options.sexIndex = run.sex;
        options.otherCode = run.other;
        options.seed = run.seed;
        options.skips = run.skips;
        options.report = true;
        std::ostringstream out;
        std::ostringstream err;
        ASSERT_EQ(runSimulation(options, {2026, 12, 8, 10, 30, 5}, out, err), 0) << err.str();
        const std::string stem = fs::path(run.data).stem().string();
        written[stem + ".report.txt"] = out.str();
        written[stem + ".dat"] = bytesOf(run.data);
        written[stem + ".slg"] = bytesOf(stem + ".slg");
    }
    ASSERT_TRUE(writeCodebook("output.log"));
    written["output.log"] = bytesOf("output.log");
    const StudyResults study = readStudy({"demo.dat", "three.dat"}, {}, diskFiles());
    written["trials.csv"] = trialsCsv(study);
    written["summary.csv"] = summaryCsv(study);

    const char* keep = std::getenv("TRUV_WRITE_EXPECTED");
    for (const auto& [name, bytes] : written) {
        SCOPED_TRACE(name);
        if (keep) {
            std::ofstream(fs::path(keep) / name, std::ios::binary) << bytes;
        }
        const std::string expected = bytesOf(expectedFolder / name);
        if (bytes == expected)
            continue;
        if (expected.empty()) {
            ADD_FAILURE() << "no expected file " << (expectedFolder / name);
            continue;
        }
        std::size_t at = 0;
        while (at < bytes.size() && at < expected.size() && bytes[at] == expected[at])
            ++at;
        ADD_FAILURE() << "differs from byte " << at << ": now \"" << bytes.substr(at > 40 ? at - 40 : 0, 80)
                      << "\", was \"" << expected.substr(at > 40 ? at - 40 : 0, 80) << "\"";
    }
}
