#pragma once
// The latency axis of a session's charts (latency by trial and the histograms of its
// halves): it spans what the difference score uses, latencies up to
// longestScoredLatency, and stops lower where nearly all of those are shorter, so that
// one long trial does not flatten the rest. The latencies past its top are drawn at
// the top and counted apart.

#include <optional>
#include <vector>

// The axis' top is a multiple of this, and at least shortestLatencyAxis.
inline constexpr int latencyAxisStep = 500;       // ms
inline constexpr int shortestLatencyAxis = 1000;  // ms
// The histograms' bins are 50 ms wide, or wider where that would make more than this.
inline constexpr int maxHistogramBins = 100;

struct LatencyScale {
    int top = shortestLatencyAxis;  // ms: the axis runs from 0 to top
    int binWidth = 50;              // ms: the histograms' bins, from 0 to top; top is a multiple of it

    int bins() const { return top / binWidth; }
    // Past the top: drawn at the top and counted apart.
    bool beyond(int latency) const { return latency > top; }
    // The bin a latency is counted in (the top itself in the last one), none beyond the top.
    std::optional<int> bin(int latency) const;
};

// The scale of these latencies: its top is the 99th percentile (nearest rank) of those
// up to longestScoredLatency, rounded up to a multiple of latencyAxisStep (never past
// longestScoredLatency, never under shortestLatencyAxis); the bins the narrowest of 50,
// 100, 250 and 500 ms that make at most maxHistogramBins.
LatencyScale latencyScale(std::vector<int> latencies);
