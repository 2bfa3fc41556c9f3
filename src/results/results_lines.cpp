#include "results/results_lines.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "common/text_codec.h"
#include "files/input_file.h"
#include "platform/presentation.h"
#include "run/data_format.h"
#include "run/subject_record.h"
#include "task/score_table.h"

namespace {

constexpr std::size_t maxInputNameBytes = subjectPagePathCapacity;
constexpr std::size_t maxItemBytes = entryCapacity;
constexpr std::size_t maxCombinationBytes = 2 * maxItemBytes + 1;
// The largest year the date can show with four digits: 9999.
constexpr int maxYearSince1900 = 9999 - 1900;
// Longer than any key clock's name a run writes ("CLOCK_MONOTONIC").
constexpr std::size_t maxKeyClockBytes = 40;

bool isBlank(std::string_view line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
}

// A field's text for a message: decoded, and cut where a malformed line holds a long one.
std::string shown(std::string_view text)
{
    constexpr std::size_t longest = 40;
    const bool cut = text.size() > longest;
    return "\"" + decodedText(text.substr(0, longest)) + (cut ? "...\"" : "\"");
}

// Checks the fields of one line, remembering the first that does not fit.
class FieldChecker {
public:
    explicit FieldChecker(std::string& reason) : reason_(reason) {}

    bool ok() const { return ok_; }

    // A whole number from low to high, with a minus sign only where low is negative:
    // a field that never holds a negative value is never written with a sign, "-0"
    // included.
    void number(std::string_view text, std::string_view name, long long low, long long high, int& value)
    {
        long long parsed = 0;
        number(text, name, low, high, parsed);
        if (ok_)
            value = static_cast<int>(parsed);
    }

    void number(std::string_view text, std::string_view name, long long low, long long high, long long& value)
    {
        if (!ok_)
            return;
        long long parsed = 0;
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, parsed);
        if (text.empty() || error != std::errc() || stop != end || parsed < low || parsed > high ||
            (low >= 0 && text.front() == '-')) {
            fail(std::string(name) + " is " + shown(text) + ", not a whole number from " + std::to_string(low) +
                 " to " + std::to_string(high));
            return;
        }
        value = parsed;
    }

    // A whole number that may also be written as a floating-point value with nothing
    // after the point (the subject log's error rates).
    void wholeValue(std::string_view text, std::string_view name, int high, int& value)
    {
        if (!ok_)
            return;
        double parsed = 0;
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, parsed);
        if (text.empty() || error != std::errc() || stop != end || !std::isfinite(parsed) || parsed < 0 ||
            parsed > high || parsed != std::floor(parsed) || text.front() == '-') {
            fail(std::string(name) + " is " + shown(text) + ", not a whole number from 0 to " + std::to_string(high));
            return;
        }
        value = static_cast<int>(parsed);
    }

    void text(std::string_view text, std::string_view name, std::size_t shortest, std::size_t longest)
    {
        if (!ok_)
            return;
        if (text.size() < shortest)
            fail(std::string(name) + " is empty");
        else if (text.size() > longest)
            fail(std::string(name) + " " + shown(text) + " is longer than " + std::to_string(longest) + " characters");
    }

    void sex(std::string_view text, std::string_view name)
    {
        if (ok_ && !(text.empty() || text == "m" || text == "f"))
            fail(std::string(name) + " is " + shown(text) + ", not \"m\", \"f\" or empty");
    }

    void fail(std::string why)
    {
        if (!ok_)
            return;
        ok_ = false;
        reason_ = std::move(why);
    }

private:
    std::string& reason_;
    bool ok_ = true;
};

std::string fieldCountReason(std::size_t count, const std::string& expected)
{
    return "the line has " + std::to_string(count) + (count == 1 ? " field, " : " fields, ") + expected +
           " are expected";
}

}  // namespace

std::string decodedText(std::string_view bytes)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(bytes);
    return windows1252ToUtf8(bytes);
}

std::string_view inputFileNameOf(std::string_view path)
{
    const std::size_t cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

LineKind parseDataLine(std::string_view line, DataLine& out, std::string& reason)
{
    namespace column = dataColumn;
    if (isBlank(line))
        return LineKind::Blank;
    const LineFields<column::count> f = splitLine<column::count>(line);
    if (f.count != column::count) {
        reason = fieldCountReason(f.count, std::to_string(column::count));
        return LineKind::Malformed;
    }
    if (f.at == dataColumnNames)
        return LineKind::Header;

    out = DataLine{};
    // The head runs from the line's start to the tab after the block number.
    const std::string_view block = f.at[column::Block];
    out.head = line.substr(0, static_cast<std::size_t>(block.data() + block.size() - line.data()) + 1);
    out.inputFile = f.at[column::InpFl];
    out.Cat1 = f.at[column::Cat1];
    out.Cat2 = f.at[column::Cat2];
    out.sex = f.at[column::Sex];
    out.other = f.at[column::Other];
    out.word = f.at[column::Item];
    out.key = f.at[column::Key];

    FieldChecker check(reason);
    const auto number = [&](std::size_t c, long long low, long long high, int& value) {
        check.number(f.at[c], dataColumnNames[c], low, high, value);
    };
    const auto text = [&](std::size_t c, std::size_t shortest, std::size_t longest) {
        check.text(f.at[c], dataColumnNames[c], shortest, longest);
    };
    text(column::InpFl, 1, maxInputNameBytes);
    number(column::Sess, 1, maxSessions, out.session);
    text(column::Cat1, 1, listFileNameCapacity);
    text(column::Cat2, 1, listFileNameCapacity);
    number(column::Cat1p, 0, 1, out.Cat1p);
    number(column::Cat2p, 0, 1, out.Cat2p);
    // Catsw is not held to 0 or 1 by the input file: another value switches neither pair.
    number(column::Catsw, INT_MIN, INT_MAX, out.Catsw);
    number(column::Delay, 0, maxDelay, out.Delay);
    number(column::nPrac, 0, maxTrials, out.nPrac);
    number(column::nReal, 0, maxTrials, out.nReal);
    number(column::Sub, 0, maxSubjectNumber, out.subject);
    check.sex(out.sex, dataColumnNames[column::Sex]);
    text(column::Other, 0, otherCodeCapacity);
    number(column::Block, 1, maxBlockNumber, out.block);
    number(column::Trial, 1, maxTrials, out.trial);
    number(column::Icat, 0, 9, out.pair);
    number(column::Iscat, 0, 9, out.category);
    number(column::Inum, 0, 99, out.item);
    text(column::Item, 1, maxItemBytes);
    number(column::Lat, 0, INT_MAX, out.latency);
    number(column::Error, 0, INT_MAX, out.errors);
    const UnrunMarkers& unrun = unrunMarkers;
    if (check.ok()) {
        if (out.key == unrun.key) {
            out.unrun = true;
            if (out.latency != unrun.latency || out.errors != unrun.wrongResponses)
                check.fail("the slot has no response (Key " + std::string(unrun.key) + ") but Lat " +
                           std::to_string(out.latency) + " and Error " + std::to_string(out.errors) + " instead of " +
                           std::to_string(unrun.latency) + " and " + std::to_string(unrun.wrongResponses));
        } else if (out.key != "l" && out.key != "r") {
            check.fail("Key is " + shown(out.key) + ", not \"l\", \"r\" or \"" + std::string(unrun.key) + "\"");
        }
    }
    const auto inPair = [](int value) { return value == 0 || value == 1; };
    const auto inPairOrUnrun = [&](int value, int marker) { return inPair(value) || (out.unrun && value == marker); };
    const auto orMarker = [&](int marker) {
        return out.unrun ? " (or " + std::to_string(marker) + ")" : std::string();
    };
    if (check.ok() && !inPairOrUnrun(out.pair, unrun.pair))
        check.fail("Icat is " + std::to_string(out.pair) + ", not 0 or 1" + orMarker(unrun.pair));
    if (check.ok() && !inPairOrUnrun(out.category, unrun.category))
        check.fail("Iscat is " + std::to_string(out.category) + ", not 0 or 1" + orMarker(unrun.category));
    if (check.ok() && (out.pair == unrun.pair) != (out.category == unrun.category))
        check.fail("Icat and Iscat are " + std::to_string(out.pair) + " and " + std::to_string(out.category) +
                   ": a slot never reached has " + std::to_string(unrun.pair) + " in both");
    return check.ok() ? LineKind::Record : LineKind::Malformed;
}

LineKind parseTimingLine(std::string_view line, TimingRow& out, std::string& reason)
{
    namespace column = timingColumn;
    if (isBlank(line))
        return LineKind::Blank;
    const LineFields<column::count> f = splitLine<column::count>(line);
    if (f.count == column::count && f.at == timingColumnNames)
        return LineKind::Header;
    if (f.at[0] == timingColumnNames[0]) {
        reason = "an unknown header: the columns of a timing record are";
        for (const std::string_view name : timingColumnNames)
            reason += " " + std::string(name);
        return LineKind::Malformed;
    }
    if (f.count != column::count) {
        reason = fieldCountReason(f.count, std::to_string(column::count));
        return LineKind::Malformed;
    }

    out = TimingRow{};
    FieldChecker check(reason);
    const auto name = [](std::size_t c) { return timingColumnNames[c]; };
    check.text(f.at[column::InpFl], name(column::InpFl), 1, maxInputNameBytes);
    check.number(f.at[column::Sess], name(column::Sess), 1, maxSessions, out.session);
    check.number(f.at[column::Sub], name(column::Sub), 0, maxSubjectNumber, out.subject);
    check.sex(f.at[column::Sex], name(column::Sex));
    check.text(f.at[column::Other], name(column::Other), 0, otherCodeCapacity);
    check.number(f.at[column::Block], name(column::Block), 1, maxBlockNumber, out.block);
    const std::string_view onset = f.at[column::Onset];
    const auto known = {OnsetSource::X11Present, OnsetSource::WaylandPresentation, OnsetSource::AfterDrawing};
    if (check.ok() && std::none_of(known.begin(), known.end(), [&](OnsetSource s) { return onset == describe(s); }))
        check.fail("Onset is " + shown(onset) + ", not \"X11 Present\", \"Wayland presentation\" or \"after drawing\"");
    BlockTimingRecord& t = out.timing;
    check.number(f.at[column::Refresh], name(column::Refresh), 0, INT_MAX, t.refreshMicroseconds);
    check.number(f.at[column::Words], name(column::Words), 0, INT_MAX, t.wordsShown);
    check.number(f.at[column::Missed], name(column::Missed), 0, INT_MAX, t.framesMissed);
    long long late = 0;
    check.number(f.at[column::MostLate], name(column::MostLate), 0, INT64_MAX, late);
    const std::string_view clock = f.at[column::KeyClock];
    check.text(clock, name(column::KeyClock), 1, maxKeyClockBytes);
    const std::string_view calibration = f.at[column::KeyCalibration];
    long long width = 0;
    if (!calibration.empty())
        check.number(calibration, name(column::KeyCalibration), 0, INT64_MAX, width);
    if (check.ok() && t.framesMissed > t.wordsShown)
        check.fail("Missed is " + std::to_string(t.framesMissed) + ", more than the " + std::to_string(t.wordsShown) +
                   " words shown");
    if (check.ok() && clock == keyHandledClock && !calibration.empty())
        check.fail("KeyCalib_us is " + shown(calibration) + " for keys timed when handled, which have no calibration");
    if (!check.ok())
        return LineKind::Malformed;
    out.inputFile = decodedText(f.at[column::InpFl]);
    out.sex = std::string(f.at[column::Sex]);
    out.other = decodedText(f.at[column::Other]);
    t.onset = std::string(onset);
    t.mostLateMicroseconds = late;
    t.keyClock = decodedText(clock);
    if (!calibration.empty())
        t.keyCalibrationMicroseconds = width;
    return LineKind::Record;
}

LineKind parseSubjectLogLine(std::string_view line, SubjectLogRecord& out, std::string& reason)
{
    namespace column = logColumn;
    if (isBlank(line))
        return LineKind::Blank;
    constexpr std::size_t limit = subjectLogFieldCount(maxSessions);
    const LineFields<limit> f = splitLine<limit>(line);
    // The header names the run's fields; its session columns follow the first run's
    // session count, so only its start is compared.
    if (f.count >= column::count && std::equal(logColumnNames.begin(), logColumnNames.end(), f.at.begin()))
        return LineKind::Header;
    const std::size_t sessions = f.count >= column::count ? (f.count - column::count) / sessionColumn::count : 0;
    if (f.count > limit || sessions == 0 || (f.count - column::count) % sessionColumn::count != 0) {
        reason = fieldCountReason(f.count, std::to_string(column::count) + " and " +
                                               std::to_string(sessionColumn::count) + " for each of 1 to " +
                                               std::to_string(maxSessions) + " sessions");
        return LineKind::Malformed;
    }

    out = SubjectLogRecord{};
    FieldChecker check(reason);
    const auto number = [&](std::size_t c, long long low, long long high, int& value) {
        check.number(f.at[c], logColumnNames[c], low, high, value);
    };
    number(column::Sub, 0, maxSubjectNumber, out.subject);
    check.sex(f.at[column::Sex], logColumnNames[column::Sex]);
    check.text(f.at[column::other], logColumnNames[column::other], 0, otherCodeCapacity);
    check.text(f.at[column::InpFl], logColumnNames[column::InpFl], 1, maxInputNameBytes);
    number(column::Month, 1, 12, out.month);
    number(column::Day, 1, 31, out.day);
    number(column::Year, 0, maxYearSince1900, out.year);
    number(column::Hour, 0, 23, out.hour);
    number(column::Min, 0, 59, out.minute);
    out.sessions.resize(sessions);
    for (std::size_t s = 1; s <= sessions && check.ok(); ++s) {
        namespace each = sessionColumn;
        SubjectLogSession& session = out.sessions[s - 1];
        const auto field = [&](std::size_t c) { return f.at[sessionField(s, c)]; };
        const auto name = [&](std::size_t c) { return sessionColumnName(s, c); };
        check.text(field(each::CatsL), name(each::CatsL), 0, maxCombinationBytes);
        check.text(field(each::CatsR), name(each::CatsR), 0, maxCombinationBytes);
        check.number(field(each::CatSw), name(each::CatSw), INT_MIN, INT_MAX, session.CatSw);
        for (int h = 0; h < 2; ++h) {
            SubjectLogHalf& half = session.halves[h];
            const std::size_t lat = h == 0 ? each::FirstLat : each::SecondLat;
            const std::size_t err = h == 0 ? each::FirstErr : each::SecondErr;
            const std::size_t n = h == 0 ? each::FirstN : each::SecondN;
            check.number(field(lat), name(lat), 0, INT_MAX, half.meanLatency);
            check.wholeValue(field(err), name(err), INT_MAX, half.errorRate);
            check.number(field(n), name(n), 0, maxTrials, half.n);
        }
        session.CatsL = decodedText(field(each::CatsL));
        session.CatsR = decodedText(field(each::CatsR));
    }
    if (!check.ok())
        return LineKind::Malformed;
    out.sex = std::string(f.at[column::Sex]);
    out.other = decodedText(f.at[column::other]);
    out.inputPath = decodedText(f.at[column::InpFl]);
    return LineKind::Record;
}
