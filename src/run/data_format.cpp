#include "run/data_format.h"

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

#include "common/text_codec.h"
#include "common/text_stream.h"

namespace {

std::size_t sessionCountOf(int count) { return static_cast<std::size_t>(std::clamp(count, 0, maxSessions)); }

// Paths in the record are the file system's bytes (UTF-8); the files are single-byte
// text. The subject page accepts only paths that have a single-byte form.
std::string singleByteForm(const std::string& path) { return utf8ToWindows1252(path).value_or(path); }

}  // namespace

std::string sessionColumnName(std::size_t session, std::size_t column)
{
    return std::string(sessionColumnNames[column]) + "_" + std::to_string(session);
}

TrialResult unrunTrial()
{
    const UnrunMarkers& m = unrunMarkers;
    TrialResult slot{m.trialNumber, m.pair, m.category, m.item, {}, m.latency, m.wrongResponses, std::string(m.key)};
    slot.word.assign(m.word);
    return slot;
}

std::string LineWriter::line() const
{
    TextWriter out;
    for (const std::string& field : fields_)
        out << field << '\t';
    out << '\n';
    return out.bytes();
}

std::string dataFileHeader()
{
    LineWriter w(dataColumn::count);
    for (std::size_t c = 0; c < dataColumn::count; ++c)
        w.set(c, dataColumnNames[c]);
    return w.line();
}

std::string timingRecordHeader()
{
    LineWriter w(timingColumn::count);
    for (std::size_t c = 0; c < timingColumn::count; ++c)
        w.set(c, timingColumnNames[c]);
    return w.line();
}

std::string formatTimingLine(const SubjectRecord& subject, int session, int blockNumber, const BlockTiming& timing)
{
    LineWriter w(timingColumn::count);
    w.set(timingColumn::InpFl, singleByteForm(subject.inputName));
    w.set(timingColumn::Sess, session);
    w.set(timingColumn::Sub, subject.subjectNumber);
    w.set(timingColumn::Sex, subject.sexCode);
    w.set(timingColumn::Other, subject.otherCode);
    w.set(timingColumn::Block, blockNumber);
    w.set(timingColumn::Onset, describe(timing.source));
    w.set(timingColumn::Refresh, std::to_string(std::llround(timing.refreshMicroseconds)));
    w.set(timingColumn::Words, timing.wordsShown);
    w.set(timingColumn::Missed, timing.framesMissed);
    w.set(timingColumn::MostLate, std::to_string(timing.mostLate));
    w.set(timingColumn::KeyClock, singleByteForm(timing.keyClock));
    if (timing.keyCalibrationMicroseconds)
        w.set(timingColumn::KeyCalibration, std::to_string(*timing.keyCalibrationMicroseconds));
    return w.line();
}

std::string formatDataLine(const SubjectRecord& subject, int session, const SessionSettings& settings, int blockNumber,
                           const TrialResult& trial)
{
    LineWriter w(dataColumn::count);
    w.set(dataColumn::InpFl, singleByteForm(subject.inputName));
    w.set(dataColumn::Sess, session);
    w.set(dataColumn::Cat1, settings.Cat1.view());
    w.set(dataColumn::Cat2, settings.Cat2.view());
    w.set(dataColumn::Cat1p, settings.Cat1p);
    w.set(dataColumn::Cat2p, settings.Cat2p);
    w.set(dataColumn::Catsw, settings.Catsw);
    w.set(dataColumn::Delay, settings.Delay);
    w.set(dataColumn::nPrac, settings.nPrac);
    w.set(dataColumn::nReal, settings.nReal);
    w.set(dataColumn::Sub, subject.subjectNumber);
    w.set(dataColumn::Sex, subject.sexCode);
    w.set(dataColumn::Other, subject.otherCode);
    w.set(dataColumn::Block, blockNumber);
    w.set(dataColumn::Trial, trial.trialNumber);
    w.set(dataColumn::Icat, trial.pair);
    w.set(dataColumn::Iscat, trial.category);
    w.set(dataColumn::Inum, trial.item);
    w.set(dataColumn::Item, trial.word.view());
    w.set(dataColumn::Lat, trial.latency);
    w.set(dataColumn::Error, trial.wrongResponses);
    w.set(dataColumn::Key, trial.responseSide);
    return w.line();
}

std::vector<std::string> formatDataLines(const SubjectRecord& subject, int session, const SessionSettings& settings,
                                         int blockNumber, const TrialResults& results, int trials)
{
    const int n = std::clamp(trials, 0, maxTrialsPerBlock);
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(n));
    for (int t = 0; t < n; ++t)
        lines.push_back(formatDataLine(subject, session, settings, blockNumber, results[t]));
    return lines;
}

std::string subjectLogHeader(int sessionCount)
{
    LineWriter w(subjectLogFieldCount(sessionCountOf(sessionCount)));
    for (std::size_t c = 0; c < logColumn::count; ++c)
        w.set(c, logColumnNames[c]);
    for (std::size_t s = 1; s <= sessionCountOf(sessionCount); ++s)
        for (std::size_t c = 0; c < sessionColumn::count; ++c)
            w.set(sessionField(s, c), sessionColumnName(s, c));
    return w.line();
}

std::string errorRateText(std::int64_t errorRate)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << static_cast<double>(errorRate);
    return out.str();
}

std::string formatSubjectLogLine(const SubjectRecord& subject, const ExperimentDefinition& definition,
                                 const ScoreTable& scores)
{
    LineWriter w(subjectLogFieldCount(sessionCountOf(definition.sessionCount)));
    const LocalDateTime& start = subject.start;
    w.set(logColumn::Sub, subject.subjectNumber);
    w.set(logColumn::Sex, subject.sexCode);
    w.set(logColumn::other, subject.otherCode);
    w.set(logColumn::InpFl, singleByteForm(subject.inputPath));
    w.set(logColumn::Month, start.month);
    w.set(logColumn::Day, start.day);
    w.set(logColumn::Year, start.year - 1900);
    w.set(logColumn::Hour, start.hour);
    w.set(logColumn::Min, start.minute);
    for (std::size_t s = 1; s <= sessionCountOf(definition.sessionCount); ++s) {
        const HalfScore& first = scores.score(static_cast<int>(s), 1);
        const HalfScore& second = scores.score(static_cast<int>(s), 2);
        w.set(sessionField(s, sessionColumn::CatsL), first.leftCombination);
        w.set(sessionField(s, sessionColumn::CatsR), first.rightCombination);
        w.set(sessionField(s, sessionColumn::CatSw), definition.sessions[s - 1].Catsw + 1);
        w.set(sessionField(s, sessionColumn::FirstLat), first.meanLatency);
        w.set(sessionField(s, sessionColumn::FirstErr), errorRateText(first.errorRate));
        w.set(sessionField(s, sessionColumn::FirstN), first.n);
        w.set(sessionField(s, sessionColumn::SecondLat), second.meanLatency);
        w.set(sessionField(s, sessionColumn::SecondErr), errorRateText(second.errorRate));
        w.set(sessionField(s, sessionColumn::SecondN), second.n);
    }
    return w.line();
}

std::optional<std::string> lineBreakInPath(const std::string& path)
{
    for (const auto& [byte, name] :
         {std::pair{'\t', "a tab"}, std::pair{'\r', "a carriage return"}, std::pair{'\n', "a line break"}})
        if (path.find(byte) != std::string::npos)
            return std::string("the path holds ") + name +
                   ", which would tear the lines of the data file and the "
                   "subject log apart";
    return std::nullopt;
}
