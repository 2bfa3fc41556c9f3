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
#include "run/subject_record.h"
#include "task/score_table.h"

namespace {

constexpr const char* dataColumns[dataLineFieldCount] = {
    "InpFl", "Sess",  "Cat1",  "Cat2",  "Cat1p", "Cat2p", "Catsw", "Delay", "nPrac", "nReal", "Sub",
    "Sex",   "Other", "Block", "Trial", "Icat",  "Iscat", "Inum",  "Item",  "Lat",   "Error", "Key"};
constexpr const char* logColumns[logRunFieldCount] = {"Sub", "Sex",  "other", "InpFl", "Month",
                                                      "Day", "Year", "Hour",  "Min"};
constexpr const char* logSessionColumns[logSessionFieldCount] = {"CatsL", "CatsR",  "CatSw",  "1stLat", "1stErr",
                                                                 "1stN",  "2ndLat", "2ndErr", "2ndN"};

constexpr int unrunLatency = 99999;
constexpr int unrunErrors = 99;
constexpr std::size_t maxInputNameBytes = subjectPagePathCapacity;
constexpr std::size_t maxItemBytes = 15;
constexpr std::size_t maxCombinationBytes = 2 * maxItemBytes + 1;
// The largest year the date can show with four digits: 9999.
constexpr int maxYearSince1900 = 9999 - 1900;

// The fields of a line: each is followed by a tab, the last one too. At most `limit`
// are kept; count tells how many there are.
template <std::size_t Limit>
struct Fields {
    std::array<std::string_view, Limit> at{};
    std::size_t count = 0;
};

template <std::size_t Limit>
Fields<Limit> splitFields(std::string_view line)
{
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    if (line.ends_with('\t'))
        line.remove_suffix(1);
    Fields<Limit> fields;
    std::size_t from = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', from);
        const std::string_view field = line.substr(from, tab == std::string_view::npos ? line.npos : tab - from);
        if (fields.count < Limit)
            fields.at[fields.count] = field;
        ++fields.count;
        if (tab == std::string_view::npos)
            break;
        from = tab + 1;
    }
    return fields;
}

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
    void number(std::string_view text, const char* name, long long low, long long high, int& value)
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
        value = static_cast<int>(parsed);
    }

    // A whole number that may also be written as a floating-point value with nothing
    // after the point (the subject log's error rates).
    void wholeValue(std::string_view text, const char* name, int high, int& value)
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

    void text(std::string_view text, const char* name, std::size_t shortest, std::size_t longest)
    {
        if (!ok_)
            return;
        if (text.size() < shortest)
            fail(std::string(name) + " is empty");
        else if (text.size() > longest)
            fail(std::string(name) + " " + shown(text) + " is longer than " + std::to_string(longest) + " characters");
    }

    void sex(std::string_view text, const char* name)
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
    if (isBlank(line))
        return LineKind::Blank;
    const Fields<dataLineFieldCount> f = splitFields<dataLineFieldCount>(line);
    if (f.count != dataLineFieldCount) {
        reason = fieldCountReason(f.count, std::to_string(dataLineFieldCount));
        return LineKind::Malformed;
    }
    if (std::equal(f.at.begin(), f.at.end(), std::begin(dataColumns)))
        return LineKind::Header;

    out = DataLine{};
    // Fields 1 to 14 run from the line's start to the tab after the block number.
    out.head = line.substr(0, static_cast<std::size_t>(f.at[13].data() + f.at[13].size() - line.data()) + 1);
    out.inputFile = f.at[0];
    out.Cat1 = f.at[2];
    out.Cat2 = f.at[3];
    out.sex = f.at[11];
    out.other = f.at[12];
    out.word = f.at[18];
    out.key = f.at[21];

    FieldChecker check(reason);
    check.text(out.inputFile, "InpFl", 1, maxInputNameBytes);
    check.number(f.at[1], "Sess", 1, maxSessions, out.session);
    check.text(out.Cat1, "Cat1", 1, listFileNameCapacity);
    check.text(out.Cat2, "Cat2", 1, listFileNameCapacity);
    check.number(f.at[4], "Cat1p", 0, 1, out.Cat1p);
    check.number(f.at[5], "Cat2p", 0, 1, out.Cat2p);
    // Catsw is not held to 0 or 1 by the input file: another value switches neither pair.
    check.number(f.at[6], "Catsw", INT_MIN, INT_MAX, out.Catsw);
    check.number(f.at[7], "Delay", 0, maxDelay, out.Delay);
    check.number(f.at[8], "nPrac", 0, maxTrials, out.nPrac);
    check.number(f.at[9], "nReal", 0, maxTrials, out.nReal);
    check.number(f.at[10], "Sub", 0, maxSubjectNumber, out.subject);
    check.sex(out.sex, "Sex");
    check.text(out.other, "Other", 0, otherCodeCapacity);
    check.number(f.at[13], "Block", 1, maxBlockNumber, out.block);
    check.number(f.at[14], "Trial", 1, maxTrials, out.trial);
    check.number(f.at[15], "Icat", 0, 9, out.pair);
    check.number(f.at[16], "Iscat", 0, 9, out.category);
    check.number(f.at[17], "Inum", 0, 99, out.item);
    check.text(out.word, "Item", 1, maxItemBytes);
    check.number(f.at[19], "Lat", 0, INT_MAX, out.latency);
    check.number(f.at[20], "Error", 0, INT_MAX, out.errors);
    if (check.ok()) {
        if (out.key == "9") {
            out.unrun = true;
            if (out.latency != unrunLatency || out.errors != unrunErrors)
                check.fail("the slot has no response (Key 9) but Lat " + std::to_string(out.latency) + " and Error " +
                           std::to_string(out.errors) + " instead of 99999 and 99");
        } else if (out.key != "l" && out.key != "r") {
            check.fail("Key is " + shown(out.key) + ", not \"l\", \"r\" or \"9\"");
        }
    }
    const auto inPair = [](int value) { return value == 0 || value == 1; };
    const auto inPairOrUnrun = [&](int value) { return inPair(value) || (out.unrun && value == 9); };
    if (check.ok() && !inPairOrUnrun(out.pair))
        check.fail("Icat is " + std::to_string(out.pair) + ", not 0 or 1" + (out.unrun ? " (or 9)" : ""));
    if (check.ok() && !inPairOrUnrun(out.category))
        check.fail("Iscat is " + std::to_string(out.category) + ", not 0 or 1" + (out.unrun ? " (or 9)" : ""));
    if (check.ok() && (out.pair == 9) != (out.category == 9))
        check.fail("Icat and Iscat are " + std::to_string(out.pair) + " and " + std::to_string(out.category) +
                   ": a slot never reached has 9 in both");
    return check.ok() ? LineKind::Record : LineKind::Malformed;
}

LineKind parseSubjectLogLine(std::string_view line, SubjectLogRecord& out, std::string& reason)
{
    if (isBlank(line))
        return LineKind::Blank;
    constexpr std::size_t limit = logRunFieldCount + maxSessions * logSessionFieldCount;
    const Fields<limit> f = splitFields<limit>(line);
    // The header names the run's fields; its session columns follow the first run's
    // session count, so only its start is compared.
    if (f.count >= logRunFieldCount && std::equal(f.at.begin(), f.at.begin() + logRunFieldCount, logColumns))
        return LineKind::Header;
    const std::size_t sessions = f.count >= logRunFieldCount ? (f.count - logRunFieldCount) / logSessionFieldCount : 0;
    if (f.count > limit || sessions == 0 || (f.count - logRunFieldCount) % logSessionFieldCount != 0) {
        reason = fieldCountReason(f.count, "9 and 9 for each of 1 to 9 sessions");
        return LineKind::Malformed;
    }

    out = SubjectLogRecord{};
    FieldChecker check(reason);
    check.number(f.at[0], "Sub", 0, maxSubjectNumber, out.subject);
    check.sex(f.at[1], "Sex");
    check.text(f.at[2], "other", 0, otherCodeCapacity);
    check.text(f.at[3], "InpFl", 1, maxInputNameBytes);
    check.number(f.at[4], "Month", 1, 12, out.month);
    check.number(f.at[5], "Day", 1, 31, out.day);
    check.number(f.at[6], "Year", 0, maxYearSince1900, out.year);
    check.number(f.at[7], "Hour", 0, 23, out.hour);
    check.number(f.at[8], "Min", 0, 59, out.minute);
    out.sessions.resize(sessions);
    for (std::size_t s = 0; s < sessions && check.ok(); ++s) {
        const std::string_view* g = &f.at[logRunFieldCount + s * logSessionFieldCount];
        SubjectLogSession& session = out.sessions[s];
        const auto name = [&](int field) {
            return std::string(logSessionColumns[field]) + "_" + std::to_string(s + 1);
        };
        check.text(g[0], name(0).c_str(), 0, maxCombinationBytes);
        check.text(g[1], name(1).c_str(), 0, maxCombinationBytes);
        check.number(g[2], name(2).c_str(), INT_MIN, INT_MAX, session.CatSw);
        for (int h = 0; h < 2; ++h) {
            SubjectLogHalf& half = session.halves[h];
            check.number(g[3 + 3 * h], name(3 + 3 * h).c_str(), 0, INT_MAX, half.meanLatency);
            check.wholeValue(g[4 + 3 * h], name(4 + 3 * h).c_str(), INT_MAX, half.errorRate);
            check.number(g[5 + 3 * h], name(5 + 3 * h).c_str(), 0, maxTrials, half.n);
        }
        session.CatsL = decodedText(g[0]);
        session.CatsR = decodedText(g[1]);
    }
    if (!check.ok())
        return LineKind::Malformed;
    out.sex = std::string(f.at[1]);
    out.other = decodedText(f.at[2]);
    out.inputPath = decodedText(f.at[3]);
    return LineKind::Record;
}
