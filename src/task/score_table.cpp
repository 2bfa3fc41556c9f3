#include "task/score_table.h"

#include <algorithm>
#include <cmath>

namespace {

bool inRange(int session, int half)
{
    return session >= 1 && session <= maxSessions && half >= 1 && half <= ScoreTable::halves;
}

}  // namespace

int recodedLatency(int latency) { return std::clamp(latency, scoredLatencyFloor, scoredLatencyCeiling); }

void ScoreTable::scoreBlock(int session, int half, const TrialResults& results, int trials, int trialsRun,
                            const std::array<std::string, 4>& labels)
{
    if (!inRange(session, half))
        return;
    HalfScore& h = scores_[session - 1][half - 1];
    h.leftCombination = combinationLabel(labels[0], labels[2]);
    h.rightCombination = combinationLabel(labels[1], labels[3]);

    const int scored = std::min(std::clamp(trials, 0, maxTrialsPerBlock), trialsRun);
    for (int t = unscoredLeadingTrials; t < scored; ++t) {
        h.latencySum += recodedLatency(results[t].latency);
        h.errorSum += results[t].wrongResponses;
        ++h.count;
    }
}

void ScoreTable::finish(int sessionCount)
{
    const int sessions = std::clamp(sessionCount, 0, maxSessions);
    leftColumn_.clear();
    rightColumn_.clear();
    for (int s = 0; s < sessions; ++s) {
        for (HalfScore& h : scores_[s]) {
            // A half that scored nothing divides by 1 and reads 0 ms, 0 % and N 1.
            if (h.count == 0)
                h.count = 1;
            h.meanLatency = static_cast<int>(h.latencySum / h.count);
            // Division first, then the factor 100: 29 errors over 100 trials give
            // 28.999...96 and so 28.
            h.errorRate = static_cast<std::int64_t>(std::floor(static_cast<double>(h.errorSum) / h.count * 100.0));
            h.n = h.count;
        }
        const HalfScore& first = scores_[s][0];
        const HalfScore& second = scores_[s][1];
        leftColumn_ += std::to_string(s + 1) + "   " + first.leftCombination + "  or  " + first.rightCombination +
                       "\n" + "     " + second.leftCombination + "  or  " + second.rightCombination + "\n\n";
        for (const HalfScore* h : {&first, &second})
            rightColumn_ += std::to_string(h->meanLatency) + "        " + std::to_string(h->errorRate) + "%        " +
                            std::to_string(h->n) + "\n";
        rightColumn_ += "\n";
    }
}

const HalfScore& ScoreTable::score(int session, int half) const
{
    static const HalfScore none;
    return inRange(session, half) ? scores_[session - 1][half - 1] : none;
}
