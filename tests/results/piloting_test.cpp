// Piloting the analysis: simulated participants slower after the switch (truv-sim
// --effect) must score clearly positive, and those without an effect near zero,
// through the whole path a lab uses: the runs' data files and subject logs, read
// back and scored.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "../common/temp_directory.h"
#include "results/results_reading.h"
#include "results/results_scores.h"
#include "sim/simulated_participant.h"

TEST(Piloting, TwoHundredSimulatedParticipantsWithAndWithoutAnEffect)
{
    TempDirectory dir;
    const std::string study = TRUV_EXAMPLES_DIR "/demo";

    const auto pilot = [&](double effect, const std::string& data) {
        for (int subject = 1; subject <= 100; ++subject) {
            SimOptions o;
            o.inputPath = study + "/demo-one-session.inp";
            o.dataPath = dir.file(data);
            o.subjectNumber = std::to_string(subject);
            o.seed = static_cast<std::uint32_t>(subject * 7919 + static_cast<int>(effect));
            o.effect = effect;
            std::ostringstream out, err;
            EXPECT_EQ(runSimulation(o, {2026, 12, 7, 9, 30, 0}, out, err), 0) << err.str();
        }
        const StudyResults results = readStudy({dir.file(data)}, {study}, diskFiles());
        EXPECT_TRUE(results.problems.empty()) << results.problems.front();
        EXPECT_EQ(results.runs.size(), 100u);
        const StudySummary summary = summarizeStudy(results);
        EXPECT_EQ(summary.participants, 100);
        return summary.sessions.at(0);
    };

    const SessionSummary slower = pilot(80, "effect.dat");
    const SessionSummary none = pilot(0, "none.dat");
    ASSERT_TRUE(slower.meanScore && none.meanScore);
    EXPECT_EQ(slower.scored + slower.excluded, 100);
    EXPECT_EQ(none.scored + none.excluded, 100);
    // 80 ms against an SD of about 190 ms: a score near 0.4, its interval clear of 0.
    EXPECT_GT(*slower.meanScore, 0.25);
    EXPECT_GT(*slower.confidenceLow, 0.1);
    EXPECT_LT(std::abs(*none.meanScore), 0.08);
    EXPECT_LT(*none.confidenceLow, 0.05);
    EXPECT_GT(*none.confidenceHigh, -0.05);
}
