#include "results/chart_scale.h"

#include <algorithm>
#include <cstdint>

#include "results/results_scores.h"

std::optional<int> LatencyScale::bin(int latency) const
{
    if (beyond(latency))
        return std::nullopt;
    return std::min(std::max(latency, 0) / binWidth, bins() - 1);
}

LatencyScale latencyScale(std::vector<int> latencies)
{
    std::erase_if(latencies, [](int latency) { return latency > longestScoredLatency; });
    LatencyScale scale;
    if (!latencies.empty()) {
        // The nearest rank: the smallest latency that at least 99 % of them do not pass.
        const std::int64_t n = static_cast<std::int64_t>(latencies.size());
        const auto rank = static_cast<std::size_t>((99 * n + 99) / 100);
        std::nth_element(latencies.begin(), latencies.begin() + static_cast<std::ptrdiff_t>(rank - 1), latencies.end());
        const int percentile = std::max(latencies[rank - 1], 0);
        const int rounded = (percentile + latencyAxisStep - 1) / latencyAxisStep * latencyAxisStep;
        scale.top = std::clamp(rounded, shortestLatencyAxis, longestScoredLatency);
    }
    for (int width : {50, 100, 250, 500}) {
        scale.binWidth = width;
        if (scale.top / width <= maxHistogramBins)
            break;
    }
    return scale;
}
