// The reading of a study's data file and subject log. The input is split at its first
// NUL byte into the data file and its subject log (no NUL: a data file alone), which
// are read in pieces of a size that follows from the input's length. Whatever
// the bytes, every run's blocks hold lines, every score is a number, and both exports
// have one row for each trial and each run's session, after their header.

#include <algorithm>
#include <cmath>

#include "fuzz_support.h"
#include "results/results_exports.h"
#include "results/results_reading.h"

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
    MemoryFiles files;
    files.setStreamPieceBytes(1 + size % 61);
    files.add("/study/run.dat", std::string(bytes.substr(0, nul)));
    if (nul != std::string_view::npos)
        files.add("/study/run.slg", std::string(bytes.substr(nul + 1)));
    files.add("/study/a.wls", "2 2\r\nflower\r\nrose\r\ninsect\r\nant\r\n");

    const StudyResults study = readStudy({"/study/run.dat"}, {}, files);
    std::size_t trials = 0;
    std::size_t sessions = 0;
    for (const RunRecord& run : study.runs) {
        sessions += run.sessions.size();
        for (const SessionRecord& session : run.sessions) {
            for (const BlockRecord& block : session.blocks) {
                FUZZ_REQUIRE(!block.trials.empty());
                trials += block.trials.size();
            }
            const DifferenceScore& d = session.difference;
            FUZZ_REQUIRE(!d.score || std::isfinite(*d.score));
            FUZZ_REQUIRE(d.trialsFast <= d.trialsUsed);
        }
    }
    FUZZ_REQUIRE(trials <= static_cast<std::size_t>(study.linesRead));
    const std::string trialRows = trialsCsv(study);
    const std::string summaryRows = summaryCsv(study);
    FUZZ_REQUIRE(rows(trialRows) >= trials + 1);
    FUZZ_REQUIRE(rows(summaryRows) >= sessions + 1);
    return 0;
}
