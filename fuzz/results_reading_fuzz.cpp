// The reading of a study's data file, its subject log and its timing record. The input
// is split at its NUL bytes into the data file, its subject log and its timing record
// (fewer NULs: the files before them alone), which are read in pieces of a size that
// follows from the input's length. Whatever the bytes, every run's blocks hold lines,
// every score is a number, a run's timing adds up from its blocks' rows, and both
// exports have one row for each trial and each run's session, after their header.

#include <algorithm>
#include <cmath>

#include "fuzz_support.h"
#include "results/results_exports.h"
#include "results/results_reading.h"
#include "results/timing_record.h"

namespace {

std::size_t rows(const std::string& csv)
{
    // A field may hold a quoted line break: rows are counted from the records read.
    return static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = bytesOf(data, size);
    const std::size_t nul = bytes.find('\0');
    const std::size_t secondNul = nul == std::string_view::npos ? nul : bytes.find('\0', nul + 1);
    MemoryFiles files;
    files.setStreamPieceBytes(1 + size % 61);
    files.add("/study/run.dat", std::string(bytes.substr(0, nul)));
    if (nul != std::string_view::npos)
        files.add("/study/run.slg", std::string(bytes.substr(nul + 1, secondNul - nul - 1)));
    if (secondNul != std::string_view::npos)
        files.add("/study/run.timing.tsv", std::string(bytes.substr(secondNul + 1)));
    files.add("/study/a.wls", "2 2\r\nflower\r\nrose\r\ninsect\r\nant\r\n");

    const StudyResults study = readStudy({"/study/run.dat"}, {}, files);
    std::size_t trials = 0;
    std::size_t sessions = 0;
    for (const RunRecord& run : study.runs) {
        sessions += run.sessions.size();
        std::int64_t missed = 0;
        int rows = 0;
        for (const SessionRecord& session : run.sessions) {
            for (const BlockRecord& block : session.blocks) {
                FUZZ_REQUIRE(!block.trials.empty());
                trials += block.trials.size();
                if (block.timing) {
                    FUZZ_REQUIRE(block.timing->framesMissed <= block.timing->wordsShown);
                    missed += block.timing->framesMissed;
                    ++rows;
                }
            }
            const DifferenceScore& d = session.difference;
            FUZZ_REQUIRE(!d.score || std::isfinite(*d.score));
            FUZZ_REQUIRE(d.trialsFast <= d.trialsUsed);
        }
        const std::optional<RunTiming> timing = runTiming(run);
        FUZZ_REQUIRE(timing.has_value() == (rows > 0));
        FUZZ_REQUIRE(!timing || (timing->framesMissed == missed && timing->blocksWithRows == rows));
        FUZZ_REQUIRE(!timingLine(run).empty());
    }
    FUZZ_REQUIRE(trials <= static_cast<std::size_t>(study.linesRead));
    const std::string trialRows = trialsCsv(study);
    const std::string summaryRows = summaryCsv(study);
    FUZZ_REQUIRE(rows(trialRows) >= trials + 1);
    FUZZ_REQUIRE(rows(summaryRows) >= sessions + 1);
    return 0;
}
