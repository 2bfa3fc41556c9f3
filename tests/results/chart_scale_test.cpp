#include <gtest/gtest.h>

#include <algorithm>

#include "results/chart_scale.h"

namespace {

// count latencies from first, step apart.
std::vector<int> run(int first, int step, int count)
{
    std::vector<int> latencies;
    for (int i = 0; i < count; ++i)
        latencies.push_back(first + i * step);
    return latencies;
}

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

// The axis top, the trials beyond it and the bins, and where a latency is counted.
TEST(ChartScale, TopIsThePercentileOfTheScoredLatenciesRoundedUp)
{
    struct Case {
        const char* what;
        std::vector<int> latencies;
        int top, binWidth, beyond;
        int probe, probeBin;  // -1: beyond the top
    };
    const Case cases[] = {
        {"no latencies", {}, 1000, 50, 0, 1000, 19},
        {"short ones: at least 1000 ms", run(300, 10, 40), 1000, 50, 0, 0, 0},
        {"a long first trial leaves a scale of the rest", std::vector{45'340} + run(500, 10, 79), 1500, 50, 1, 1290,
         25},
        {"under 100: the longest scored sets the top", run(400, 20, 50) + std::vector{9'990, 10'001}, 10'000, 100, 1,
         10'000, 99},
        {"the top itself is drawn, in the last bin", std::vector{700, 1500}, 1500, 50, 0, 1500, 29},
        {"past the top by 1 ms", std::vector{700, 1500}, 1500, 50, 0, 1501, -1},
        // 202 scored: the 200th is the 99th percentile; the two above it are beyond.
        {"the longest 1 % beyond", run(500, 10, 200) + std::vector{8'000, 9'000}, 2500, 50, 2, 2500, 49},
        {"100 bins of 50 ms at 5000 ms", run(4'510, 0, 10), 5000, 50, 0, 4'999, 99},
        {"wider bins past 5000 ms", run(5'010, 0, 10), 5500, 100, 0, 50, 0},
        {"only dropped latencies", std::vector{12'000, 45'340}, 1000, 50, 2, -5, 0},
    };
    for (const Case& c : cases) {
        const LatencyScale scale = latencyScale(c.latencies);
        EXPECT_EQ(scale.top, c.top) << c.what;
        EXPECT_EQ(scale.binWidth, c.binWidth) << c.what;
        EXPECT_EQ(scale.top % scale.binWidth, 0) << c.what;
        EXPECT_EQ(std::count_if(c.latencies.begin(), c.latencies.end(), [&](int l) { return scale.beyond(l); }),
                  c.beyond)
            << c.what;
        EXPECT_EQ(scale.bin(c.probe).value_or(-1), c.probeBin) << c.what;
    }
}
