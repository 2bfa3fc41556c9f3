#include "results/results_exports.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "results/participants.h"
#include "results/psych_ds.h"
#include "results/results_reading.h"
#include "results/results_scores.h"
#include "results/run_flags.h"
#include "results/timing_record.h"
#include "task/score_table.h"

namespace {

// Rows of comma-separated cells, each row ended by LF. The rows are gathered in chunks
// and joined once at the end: the trials of a large study run to hundreds of megabytes,
// and a string grown by doubling holds its old and its new buffer at once. A chunk is
// as large as the C library's largest mmap threshold (32 MiB), so that each is mapped
// on its own and given back to the system when it is freed: the join holds little more
// than the whole text. A text of one chunk is not copied at all; the memory a chunk
// reserves beyond its text is never touched, so a small text costs no more.
class CsvWriter {
public:
    explicit CsvWriter(CsvTexts texts) : texts_(texts) { out_.reserve(chunkBytes); }

    template <typename Names>
    void header(const Names& names)
    {
        for (const char* name : names)
            text(name);
        endRow();
    }
    void header(std::initializer_list<const char*> names) { header<std::initializer_list<const char*>>(names); }

    // A cell of a text column. Quoted where it holds a separator, a quote or a line
    // break, a quote inside doubled; one a spreadsheet would take for a formula is
    // quoted with an apostrophe before it, unless the texts are raw.
    void text(std::string_view cell)
    {
        separate();
        const bool formula = texts_ == CsvTexts::SpreadsheetSafe && !cell.empty() &&
                             std::string_view("=+-@\t\r").find(cell.front()) != std::string_view::npos;
        if (!formula && cell.find_first_of(",\"\r\n") == std::string_view::npos) {
            out_ += cell;
            return;
        }
        out_ += '"';
        if (formula)
            out_ += '\'';
        for (char c : cell) {
            if (c == '"')
                out_ += '"';
            out_ += c;
        }
        out_ += '"';
    }
    void number(long long value)
    {
        separate();
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        out_.append(digits, end);
    }
    // The shortest text that reads back as the same double.
    void number(std::optional<double> value)
    {
        separate();
        if (!value)
            return;
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, *value).ptr;
        out_.append(digits, end);
    }
    void flag(bool value) { text(value ? "TRUE" : "FALSE"); }
    void empty() { separate(); }
    // From now on each full chunk goes to sink and is not kept.
    void streamTo(std::function<bool(std::string_view)> sink) { sink_ = std::move(sink); }
    // Hands the rows not yet handed to the sink.
    void flush()
    {
        if (sink_ && !out_.empty())
            sink_(out_);
        out_.clear();
    }

    void endRow()
    {
        out_ += '\n';
        first_ = true;
        if (out_.size() + rowRoom > chunkBytes && sink_) {
            flush();
        } else if (out_.size() + rowRoom > chunkBytes) {
            chunks_.push_back(std::move(out_));
            out_ = std::string();
            out_.reserve(chunkBytes);
        }
    }
    // The whole text; each chunk is freed as soon as it is copied.
    std::string take()
    {
        if (chunks_.empty())
            return std::move(out_);
        std::size_t size = out_.size();
        for (const std::string& chunk : chunks_)
            size += chunk.size();
        std::string all;
        all.reserve(size);
        for (std::string& chunk : chunks_) {
            all += chunk;
            std::string().swap(chunk);
        }
        all += out_;
        return all;
    }

private:
    void separate()
    {
        if (!first_)
            out_ += ',';
        first_ = false;
    }

    static constexpr std::size_t chunkBytes = std::size_t{32} << 20;
    static constexpr std::size_t rowRoom = std::size_t{64} << 10;  // a row longer makes its chunk grow

    CsvTexts texts_;
    std::function<bool(std::string_view)> sink_;
    std::vector<std::string> chunks_;
    std::string out_;  // the rows after the chunks
    bool first_ = true;
};

std::string joined(const std::vector<std::string>& texts)
{
    std::string all;
    for (const std::string& text : texts)
        all += (all.empty() ? "" : "; ") + text;
    return all;
}

std::string twoDigits(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

void runCells(CsvWriter& csv, const RunRecord& run)
{
    csv.number(run.id);
    csv.text(run.dataFile);
}

void whoCells(CsvWriter& csv, const RunRecord& run)
{
    csv.number(run.subject);
    csv.text(run.sex);
    csv.text(run.other);
    csv.text(run.inputFile);
}

// The run's timing record, all empty without one.
// Both halves' mean latency, error rate and N; empty cells for a half without figures.
void halfCells(CsvWriter& csv, const SessionRecord& session)
{
    for (const auto& half : session.halves) {
        if (half) {
            csv.number(half->meanLatency);
            csv.number(half->errorRate);
            csv.number(half->n);
        } else {
            csv.empty();
            csv.empty();
            csv.empty();
        }
    }
}

void timingCells(CsvWriter& csv, const std::optional<RunTiming>& timing)
{
    if (!timing) {
        for (int i = 0; i < 6; ++i)
            csv.empty();
        return;
    }
    const auto plus = [](const std::vector<std::string>& texts) {
        std::string all;
        for (const std::string& text : texts)
            all += (all.empty() ? "" : "+") + text;
        return all;
    };
    csv.text(plus(timing->onsets));
    if (timing->refreshMicroseconds)
        csv.number(static_cast<long long>(*timing->refreshMicroseconds));
    else
        csv.empty();
    csv.number(static_cast<long long>(timing->wordsShown));
    csv.number(static_cast<long long>(timing->framesMissed));
    csv.number(static_cast<long long>(timing->mostLateMicroseconds));
    csv.text(plus(timing->keyClocks));
}

}  // namespace

namespace {

// The rows of one session of a run; flags are the run's (runFlagsText).
void sessionRows(CsvWriter& csv, const RunRecord& run, const SessionRecord& session, const std::string& flags)
{
    const bool sessionExcluded = session.difference.excluded;
    for (const BlockRecord& block : session.blocks) {
        const bool scoredBlock = block.role == BlockRole::CombinedPractice || block.role == BlockRole::CombinedRecorded;
        int slot = 0;
        for (const TrialRecord& t : block.trials) {
            ++slot;
            // A slot the block never reached holds markers only; one on screen
            // when the block was closed has its word but no response.
            const bool reached = !t.unrun || t.pair != 9;
            const bool known = block.role != BlockRole::Unknown;
            csv.number(run.id);
            csv.text(block.dataFile);
            csv.number(t.lineNumber);
            whoCells(csv, run);
            csv.number(session.settings.session);
            if (block.half > 0)
                csv.number(block.half);
            else
                csv.empty();
            csv.number(block.number);
            csv.text(blockRoleName(block.role));
            csv.number(slot);
            if (!reached) {
                for (int i = 0; i < 7; ++i)  // trial to correct_side
                    csv.empty();
            } else {
                const auto pair = static_cast<std::size_t>(t.pair);
                const auto category = static_cast<std::size_t>(t.category);
                csv.number(t.trial);
                csv.number(t.pair + 1);
                csv.number(t.category + 1);
                csv.text(session.labels[pair][category]);
                csv.number(t.itemNumber);
                csv.text(t.word);
                if (known)
                    csv.text(t.category == block.left[pair] ? "left" : "right");
                else if (!t.unrun)
                    csv.text(t.key == "l" ? "left" : "right");  // the key of the correct response
                else
                    csv.empty();
            }
            if (t.unrun) {
                csv.empty();
                csv.empty();
                csv.empty();
            } else {
                csv.number(t.latency);
                csv.number(t.errors);
                csv.text(t.key);
            }
            csv.flag(t.unrun);
            // Excluded: the trial does not count in the session's difference
            // score, because its block is not a combined one, it has no
            // response, it is over 10,000 ms, or its session is excluded.
            csv.flag(!scoredBlock || t.unrun || t.latency > longestScoredLatency || sessionExcluded);
            csv.text(flags);
            csv.endRow();
        }
    }
}

void trialRows(CsvWriter& csv, const StudyResults& study)
{
    csv.header(trialsCsvColumns);
    for (const RunRecord& run : study.runs) {
        const std::string flags = runFlagsText(run);
        for (const SessionRecord& session : run.sessions)
            sessionRows(csv, run, session, flags);
    }
}

}  // namespace

std::string trialsCsv(const StudyResults& study, CsvTexts texts)
{
    CsvWriter csv(texts);
    trialRows(csv, study);
    return csv.take();
}

std::string sessionTrialsCsv(const RunRecord& run, const SessionRecord& session, CsvTexts texts)
{
    CsvWriter csv(texts);
    csv.header(trialsCsvColumns);
    sessionRows(csv, run, session, runFlagsText(run));
    return csv.take();
}

WriteOutcome writeTrialsCsv(const std::string& path, const StudyResults& study, CsvTexts texts)
{
    AtomicFileWriter file(path);
    CsvWriter csv(texts);
    csv.streamTo([&](std::string_view rows) { return file.write(rows); });
    trialRows(csv, study);
    csv.flush();
    return file.commit();
}

std::string summaryCsv(const StudyResults& study, CsvTexts texts)
{
    CsvWriter csv(texts);
    csv.header({"run",
                "data_file",
                "subject",
                "sex",
                "other",
                "input_file",
                "date",
                "time",
                "complete",
                "session",
                "label_source",
                "cats_left",
                "cats_right",
                "catsw",
                "half1_mean_latency",
                "half1_error_rate",
                "half1_n",
                "half2_mean_latency",
                "half2_error_rate",
                "half2_n",
                "log_agrees",
                "log_differences",
                "score",
                "score_practice",
                "score_recorded",
                "trials_used",
                "trials_dropped",
                "trials_fast",
                "fast_share",
                "excluded",
                "exclusion_reasons",
                "onset_source",
                "refresh_us",
                "words_shown",
                "frames_missed",
                "most_late_us",
                "key_clock",
                "flags"});
    for (const RunRecord& run : study.runs) {
        const std::optional<RunTiming> timing = runTiming(run);
        const std::string flags = runFlagsText(run);
        for (const SessionRecord& session : run.sessions) {
            runCells(csv, run);
            whoCells(csv, run);
            if (run.log) {
                const SubjectLogRecord& log = *run.log;
                csv.text(std::to_string(log.year + 1900) + "-" + twoDigits(log.month) + "-" + twoDigits(log.day));
                csv.text(twoDigits(log.hour) + ":" + twoDigits(log.minute));
            } else {
                csv.empty();
                csv.empty();
            }
            csv.flag(run.complete);
            csv.number(session.settings.session);
            csv.text(session.labelSource);
            const auto& labels = session.labels;
            const bool labelKnown = !labels[0][0].empty() || !labels[0][1].empty() || !labels[1][0].empty() ||
                                    !labels[1][1].empty();
            if (labelKnown) {
                // The first half's arrangement, as the subject log's CatsL and CatsR and as
                // the report shows it: a label not known is left out ("+Insects").
                const auto l1 = static_cast<std::size_t>(session.settings.Cat1p);
                const auto l2 = static_cast<std::size_t>(session.settings.Cat2p);
                csv.text(combinationLabel(labels[0][l1], labels[1][l2]));
                csv.text(combinationLabel(labels[0][1 - l1], labels[1][1 - l2]));
            } else {
                csv.empty();
                csv.empty();
            }
            csv.number(session.settings.Catsw);
            halfCells(csv, session);
            if (run.log)
                csv.flag(session.logDifferences.empty());
            else
                csv.empty();
            csv.text(joined(session.logDifferences));
            const DifferenceScore& d = session.difference;
            csv.number(d.score);
            csv.number(d.practice);
            csv.number(d.recorded);
            csv.number(d.trialsUsed);
            csv.number(d.trialsDropped);
            csv.number(d.trialsFast);
            csv.number(d.trialsUsed > 0 ? std::optional<double>(static_cast<double>(d.trialsFast) / d.trialsUsed)
                                        : std::nullopt);
            csv.flag(d.excluded);
            csv.text(joined(d.exclusionReasons));
            timingCells(csv, timing);
            csv.text(flags);
            csv.endRow();
        }
    }
    return csv.take();
}

std::string participantsCsv(const StudyResults& study, CsvTexts texts)
{
    const std::vector<Participant> participants = participantsOf(study);
    std::vector<int> numbers;
    for (const Participant& p : participants)
        for (const SessionRecord& session : study.runs[p.counted].sessions)
            numbers.push_back(session.settings.session);
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());

    CsvWriter csv(texts);
    for (const char* name : {"subject", "sex", "other", "input_file"})
        csv.text(name);
    for (const int k : numbers) {
        const std::string session = "session" + std::to_string(k) + "_";
        for (const char* name : {"score", "score_practice", "score_recorded", "half1_mean_latency", "half1_error_rate",
                                 "half1_n", "half2_mean_latency", "half2_error_rate", "half2_n", "excluded"})
            csv.text(session + name);
    }
    for (const char* name : {"flags", "runs", "counted_run"})
        csv.text(name);
    csv.endRow();

    for (const Participant& p : participants) {
        const RunRecord& counted = study.runs[p.counted];
        csv.number(p.subject);
        csv.text(p.sex);
        csv.text(p.other);
        csv.text(p.inputFile);
        for (const int k : numbers) {
            const auto session = std::find_if(counted.sessions.begin(), counted.sessions.end(),
                                              [k](const SessionRecord& s) { return s.settings.session == k; });
            if (session == counted.sessions.end()) {
                for (int i = 0; i < 10; ++i)
                    csv.empty();
                continue;
            }
            const DifferenceScore& d = session->difference;
            csv.number(d.score);
            csv.number(d.practice);
            csv.number(d.recorded);
            halfCells(csv, *session);
            csv.flag(d.excluded);
        }
        std::vector<std::string> flags;
        for (const std::size_t r : p.runs)
            for (std::string& flag : runFlags(study.runs[r]))
                if (std::find(flags.begin(), flags.end(), flag) == flags.end())
                    flags.push_back(std::move(flag));
        std::string joinedFlags;
        for (const std::string& flag : flags)
            joinedFlags += (joinedFlags.empty() ? "" : ";") + flag;
        csv.text(joinedFlags);
        csv.number(static_cast<long long>(p.runs.size()));
        csv.number(counted.id);
        csv.endRow();
    }
    return csv.take();
}

std::vector<ExportOutcome> checkExports(const std::vector<ExportRequest>& exports, const StudyResults& study)
{
    std::vector<ExportOutcome> outcomes(exports.size());
    for (std::size_t i = 0; i < exports.size(); ++i)
        outcomes[i].refused = exports[i].kind == ResultsExport::PsychDs ? psychDsRefusal(exports[i].path, study)
                                                                        : outputOverwritesInput(exports[i].path, study);
    return outcomes;
}

std::vector<ExportOutcome> writeExports(const std::vector<ExportRequest>& exports, const StudyResults& study,
                                        const std::function<std::string()>& report)
{
    std::vector<ExportOutcome> outcomes = checkExports(exports, study);
    for (const ExportOutcome& outcome : outcomes) {
        if (!outcome.refused.empty())
            return outcomes;
    }
    for (std::size_t i = 0; i < exports.size(); ++i) {
        const ExportRequest& e = exports[i];
        if (e.kind == ResultsExport::PsychDs) {
            PsychDsOutcome dataset = writePsychDs(e.path, study, e.studyDirectory);
            outcomes[i].written = std::move(dataset.written);
            outcomes[i].warnings = std::move(dataset.warnings);
            continue;
        }
        // The trials, the largest by far, go to their file as they are made.
        outcomes[i].written = e.kind == ResultsExport::TrialsCsv ? writeTrialsCsv(e.path, study, e.texts)
                              : e.kind == ResultsExport::SummaryCsv
                                  ? writeFileAtomically(e.path, summaryCsv(study, e.texts))
                              : e.kind == ResultsExport::ParticipantsCsv
                                  ? writeFileAtomically(e.path, participantsCsv(study, e.texts))
                                  : writeFileAtomically(e.path, report());
    }
    return outcomes;
}
