#include "results/results_scores.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>

#include "results/participants.h"
#include "task/score_table.h"

namespace {

struct LogDifference {
    int session = 0;
    std::string text;
};

const BlockRecord* findBlock(const SessionRecord& session, BlockRole role, int half)
{
    for (const BlockRecord& block : session.blocks)
        if (block.role == role && block.half == half)
            return &block;
    return nullptr;
}

// The answered slots come first in a block: a run fills them in order.
int answeredLead(const BlockRecord& block)
{
    int n = 0;
    while (n < static_cast<int>(block.trials.size()) && !block.trials[static_cast<std::size_t>(n)].unrun)
        ++n;
    return n;
}

// The block whose sides a half's figures are scored with: its recorded block. A
// recorded block of no trials (nReal 0) writes no lines: then the half's combined
// practice block, which the half scores empty.
const BlockRecord* sidesOfHalf(const SessionRecord& session, int half)
{
    const BlockRecord* recorded = findBlock(session, BlockRole::CombinedRecorded, half);
    if (!recorded && session.settings.nReal == 0)
        return findBlock(session, BlockRole::CombinedPractice, half);
    return recorded;
}

// The subject log's figures of both halves, by the run's own score table from the
// recorded blocks; the combinations are named once the labels are settled.
void scoreHalves(SessionRecord& session, TrialResults& results)
{
    const int s = session.settings.session;
    ScoreTable table;
    std::array<std::optional<int>, 2> scored;  // per half: the trials scored
    for (int half = 1; half <= 2; ++half) {
        if (!sidesOfHalf(session, half))
            continue;
        const BlockRecord* recorded = findBlock(session, BlockRole::CombinedRecorded, half);
        int trials = 0;
        int answered = 0;
        if (recorded) {
            trials = std::min(static_cast<int>(recorded->trials.size()), maxTrialsPerBlock);
            answered = std::min(trials, answeredLead(*recorded));
            for (std::size_t t = 0; t < static_cast<std::size_t>(trials); ++t) {
                results[t].latency = recorded->trials[t].latency;
                results[t].wrongResponses = recorded->trials[t].errors;
            }
        }
        table.scoreBlock(s, half, results, trials, answered, {});
        scored[static_cast<std::size_t>(half - 1)] = std::max(0, answered - unscoredLeadingTrials);
    }
    table.finish(s);
    for (int half = 1; half <= 2; ++half) {
        auto& figures = session.halves[static_cast<std::size_t>(half - 1)];
        figures.reset();
        if (const std::optional<int>& trialsScored = scored[static_cast<std::size_t>(half - 1)]) {
            const HalfScore& score = table.score(s, half);
            figures = HalfFigures{.meanLatency = score.meanLatency,
                                  .errorRate = score.errorRate,
                                  .n = score.n,
                                  .trialsScored = *trialsScored,
                                  // Named by nameCombinations, once the labels are settled.
                                  .leftCombination = {},
                                  .rightCombination = {}};
        }
    }
}

// The combinations of the left key and of the right, by the sides of each half's
// scored block.
void nameCombinations(SessionRecord& session)
{
    const auto label = [&](std::size_t pair, int category) {
        return session.labels[pair][static_cast<std::size_t>(category)];
    };
    for (int half = 1; half <= 2; ++half) {
        auto& figures = session.halves[static_cast<std::size_t>(half - 1)];
        const BlockRecord* sides = sidesOfHalf(session, half);
        if (!figures || !sides)
            continue;
        const std::array<int, 2>& left = sides->left;
        figures->leftCombination = combinationLabel(label(0, left[0]), label(1, left[1]));
        figures->rightCombination = combinationLabel(label(0, 1 - left[0]), label(1, 1 - left[1]));
    }
}

std::string percentText(double share)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", share * 100.0);
    return text;
}

struct PairLatencies {
    std::vector<double> half[2];
    bool present[2] = {false, false};
    const char* countName = "";  // the setting giving the blocks' trials: "nPrac", "nReal"
    int count = 0;               // its value: 0, the blocks have no lines to be missing
};

// (mean of half 2 - mean of half 1) / SD of both halves' trials, or why not.
std::optional<double> standardizedDifference(const PairLatencies& pair, const char* name, std::vector<std::string>& why)
{
    for (int h = 0; h < 2; ++h) {
        if (!pair.present[h] && pair.count == 0) {
            why.push_back(std::string("no score: the ") + name + " blocks have no trials (" + pair.countName +
                          " is 0)");
            return std::nullopt;
        }
        if (!pair.present[h]) {
            why.push_back(std::string("no score: the ") + name + " block of half " + std::to_string(h + 1) +
                          " is missing");
            return std::nullopt;
        }
        if (pair.half[h].empty()) {
            why.push_back(std::string("no score: the ") + name + " block of half " + std::to_string(h + 1) +
                          " has no trial to score");
            return std::nullopt;
        }
    }
    double sums[2] = {0, 0};
    for (int h = 0; h < 2; ++h)
        for (double latency : pair.half[h])
            sums[h] += latency;
    const double n = static_cast<double>(pair.half[0].size() + pair.half[1].size());
    if (n < 2) {
        why.push_back(std::string("no score: the ") + name + " blocks have fewer than 2 trials to score");
        return std::nullopt;
    }
    const double mean = (sums[0] + sums[1]) / n;
    double squares = 0;
    for (const auto& latencies : pair.half)
        for (double latency : latencies)
            squares += (latency - mean) * (latency - mean);
    const double sd = std::sqrt(squares / (n - 1));
    if (!(sd > 0)) {
        why.push_back(std::string("no score: the latencies of the ") + name + " blocks do not vary (SD 0)");
        return std::nullopt;
    }
    const double means[2] = {sums[0] / static_cast<double>(pair.half[0].size()),
                             sums[1] / static_cast<double>(pair.half[1].size())};
    return (means[1] - means[0]) / sd;
}

DifferenceScore differenceScore(const SessionRecord& session)
{
    DifferenceScore d;
    PairLatencies practice{.countName = "nPrac", .count = session.settings.nPrac};
    PairLatencies recorded{.countName = "nReal", .count = session.settings.nReal};
    for (int h = 0; h < 2; ++h) {
        for (PairLatencies* pair : {&practice, &recorded}) {
            const BlockRole role = pair == &practice ? BlockRole::CombinedPractice : BlockRole::CombinedRecorded;
            const BlockRecord* block = findBlock(session, role, h + 1);
            if (!block)
                continue;
            pair->present[h] = true;
            for (const TrialRecord& t : block->trials) {
                if (t.unrun)
                    continue;
                if (t.latency > longestScoredLatency) {
                    ++d.trialsDropped;
                    continue;
                }
                ++d.trialsUsed;
                if (t.latency < fastLatency)
                    ++d.trialsFast;
                pair->half[h].push_back(t.latency);
            }
        }
    }
    // More than the limit: exactly 10 % is kept.
    if (d.trialsUsed > 0 && std::int64_t{d.trialsFast} * 100 > std::int64_t{fastSharePercent} * d.trialsUsed) {
        d.excluded = true;
        d.exclusionReasons.push_back(percentText(static_cast<double>(d.trialsFast) / d.trialsUsed) +
                                     " % of the trials faster than " + std::to_string(fastLatency) + " ms (more than " +
                                     std::to_string(fastSharePercent) + " %)");
    }
    d.practice = standardizedDifference(practice, "combined practice", d.exclusionReasons);
    d.recorded = standardizedDifference(recorded, "combined recorded", d.exclusionReasons);
    if (d.practice && d.recorded)
        d.score = (*d.practice + *d.recorded) / 2;
    return d;
}

std::string figuresText(const SubjectLogHalf& h)
{
    return std::to_string(h.meanLatency) + " ms, " + std::to_string(h.errorRate) + " %, N " + std::to_string(h.n);
}

void compareSession(const SessionRecord& session, const SubjectLogSession& logged, std::vector<LogDifference>& out)
{
    const int s = session.settings.session;
    const auto add = [&](const std::string& text) { out.push_back({s, "session " + std::to_string(s) + text}); };
    const long long catSw = static_cast<long long>(session.settings.Catsw) + 1;
    if (logged.CatSw != catSw)
        add(": CatSw is " + std::to_string(logged.CatSw) + " in the subject log, " + std::to_string(catSw) +
            " by the lines' Catsw");
    bool labelsKnown = true;
    for (const auto& pair : session.labels)
        for (const std::string& label : pair)
            labelsKnown = labelsKnown && !label.empty();
    if (labelsKnown && session.halves[0]) {
        if (logged.CatsL != session.halves[0]->leftCombination)
            add(": CatsL is \"" + logged.CatsL + "\" in the subject log, \"" + session.halves[0]->leftCombination +
                "\" by the data lines");
        if (logged.CatsR != session.halves[0]->rightCombination)
            add(": CatsR is \"" + logged.CatsR + "\" in the subject log, \"" + session.halves[0]->rightCombination +
                "\" by the data lines");
    }
    for (std::size_t h = 0; h < 2; ++h) {
        const SubjectLogHalf& l = logged.halves[h];
        const std::string half = ", half " + std::to_string(h + 1);
        if (!session.halves[h]) {
            add(half + ": no recorded block in the data lines; the subject log has " + figuresText(l));
            continue;
        }
        const HalfFigures& f = *session.halves[h];
        const auto compare = [&](const char* what, int data, int log, const char* unit) {
            if (data != log)
                add(half + ": " + what + " " + std::to_string(data) + unit + " by the data lines, " +
                    std::to_string(log) + unit + " in the subject log");
        };
        compare("mean latency", f.meanLatency, l.meanLatency, " ms");
        compare("error rate", f.errorRate, l.errorRate, " %");
        compare("N", f.n, l.n, "");
    }
}

// The 0.975 quantile of the t distribution with df degrees of freedom: a table to 30,
// beyond it the Cornish-Fisher expansion around the normal quantile (within 1e-6).
double tQuantile975(int df)
{
    static constexpr double table[30] = {12.706204736, 4.302652730, 3.182446305, 2.776445105, 2.570581836, 2.446911851,
                                         2.364624252,  2.306004135, 2.262157163, 2.228138852, 2.200985160, 2.178812830,
                                         2.160368656,  2.144786688, 2.131449546, 2.119905299, 2.109815578, 2.100922040,
                                         2.093024054,  2.085963447, 2.079613845, 2.073873068, 2.068657610, 2.063898562,
                                         2.059538553,  2.055529439, 2.051830516, 2.048407142, 2.045229642, 2.042272456};
    if (df >= 1 && df <= 30)
        return table[df - 1];
    const double z = 1.959963984540054;
    const double v = df;
    const double z3 = z * z * z, z5 = z3 * z * z, z7 = z5 * z * z, z9 = z7 * z * z;
    return z + (z3 + z) / 4 / v + (5 * z5 + 16 * z3 + 3 * z) / 96 / (v * v) +
           (3 * z7 + 19 * z5 + 17 * z3 - 15 * z) / 384 / (v * v * v) +
           (79 * z9 + 776 * z7 + 1482 * z5 - 1920 * z3 - 945 * z) / 92160 / (v * v * v * v);
}

// Where a subject log line differs from the run, one text each; session 0: a session
// of the log line without data lines.
std::vector<LogDifference> compareWithLog(const RunRecord& run, const SubjectLogRecord& log)
{
    std::vector<LogDifference> out;
    const int logged = static_cast<int>(log.sessions.size());
    for (const SessionRecord& session : run.sessions) {
        const int s = session.settings.session;
        if (s >= 1 && s <= logged)
            compareSession(session, log.sessions[static_cast<std::size_t>(s - 1)], out);
        else
            out.push_back({s, "session " + std::to_string(s) + ": the subject log line has " + std::to_string(logged) +
                                  (logged == 1 ? " session" : " sessions") + " only"});
    }
    for (int s = 1; s <= logged; ++s) {
        bool present = false;
        for (const SessionRecord& session : run.sessions)
            present = present || session.settings.session == s;
        if (!present)
            out.push_back({0, "the subject log line has session " + std::to_string(s) + ", which has no data lines"});
    }
    return out;
}

}  // namespace

void scoreFigures(RunRecord& run)
{
    // The score table's input; only latencies and wrong responses are read.
    auto results = std::make_unique<TrialResults>();
    for (SessionRecord& session : run.sessions) {
        scoreHalves(session, *results);
        session.difference = differenceScore(session);
    }
}

std::vector<std::string> finishScores(RunRecord& run)
{
    for (SessionRecord& session : run.sessions) {
        nameCombinations(session);
        session.logDifferences.clear();
    }
    std::vector<std::string> ofNoSession;
    if (!run.log)
        return ofNoSession;
    for (LogDifference& difference : compareWithLog(run, *run.log)) {
        if (difference.session == 0) {
            ofNoSession.push_back(std::move(difference.text));
            continue;
        }
        for (SessionRecord& session : run.sessions)
            if (session.settings.session == difference.session)
                session.logDifferences.push_back(std::move(difference.text));
    }
    return ofNoSession;
}

namespace {

// The mean of the scores, their SD and the 95 % interval of the mean.
void setMeanAndInterval(SessionSummary& summary, const std::vector<double>& scores)
{
    if (scores.empty())
        return;
    const double n = static_cast<double>(scores.size());
    double sum = 0;
    for (double score : scores)
        sum += score;
    const double mean = sum / n;
    summary.meanScore = mean;
    if (scores.size() < 2)
        return;
    double squares = 0;
    for (double score : scores)
        squares += (score - mean) * (score - mean);
    const double sd = std::sqrt(squares / (n - 1));
    summary.scoreSd = sd;
    const double half = tQuantile975(static_cast<int>(scores.size()) - 1) * sd / std::sqrt(n);
    summary.confidenceLow = mean - half;
    summary.confidenceHigh = mean + half;
}

}  // namespace

std::string sessionCategories(const SessionRecord& session)
{
    const auto& l = session.labels;
    for (const auto& pair : l)
        for (const std::string& label : pair)
            if (label.empty())
                return {};
    return l[0][0] + " / " + l[0][1] + ", " + l[1][0] + " / " + l[1][1];
}

StudySummary summarizeStudy(const StudyResults& study)
{
    StudySummary summary;
    summary.runs = static_cast<int>(study.runs.size());
    summary.runsLeftOut = static_cast<int>(study.leftOut.size());
    for (const RunRecord& run : study.runs)
        summary.incompleteRuns += run.complete ? 0 : 1;
    const std::vector<Participant> participants = participantsOf(study);
    summary.participants = static_cast<int>(participants.size());
    summary.runsNotCounted = summary.runs - summary.participants;

    struct Gathered {
        SessionSummary summary;
        std::vector<double> scores;
        double errorSums[2] = {0, 0};
        int errorCounts[2] = {0, 0};
    };
    std::map<int, Gathered> bySession;
    for (const Participant& participant : participants) {
        for (const SessionRecord& session : study.runs[participant.counted].sessions) {
            Gathered& g = bySession[session.settings.session];
            SessionSummary& s = g.summary;
            s.session = session.settings.session;
            ++s.participants;
            if (const std::string categories = sessionCategories(session);
                !categories.empty() &&
                std::find(s.categories.begin(), s.categories.end(), categories) == s.categories.end())
                s.categories.push_back(categories);
            const DifferenceScore& d = session.difference;
            if (d.excluded)
                ++s.excluded;
            else if (d.score)
                g.scores.push_back(*d.score);
            else
                ++s.unscored;
            for (std::size_t h = 0; h < 2; ++h) {
                if (session.halves[h] && session.halves[h]->trialsScored > 0) {
                    g.errorSums[h] += static_cast<double>(session.halves[h]->errorRate);
                    ++g.errorCounts[h];
                }
            }
        }
    }
    for (auto& [number, g] : bySession) {
        g.summary.scored = static_cast<int>(g.scores.size());
        setMeanAndInterval(g.summary, g.scores);
        for (std::size_t h = 0; h < 2; ++h)
            if (g.errorCounts[h] > 0)
                g.summary.meanErrorRate[h] = g.errorSums[h] / g.errorCounts[h];
        summary.sessions.push_back(std::move(g.summary));
    }
    return summary;
}
