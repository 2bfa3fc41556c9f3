#include "files/input_file.h"

#include <algorithm>

#include "common/study_file.h"
#include "common/text_stream.h"

namespace {

constexpr int fieldsPerSession = 8;
constexpr const char* sessionFieldNames[fieldsPerSession] = {"Cat1",  "Cat2",  "Cat1p", "Cat2p",
                                                             "Catsw", "Delay", "nPrac", "nReal"};

// Reads the fields in the layout's order. Extraction stops at the first field that
// the file does not supply: at its end, or at a token that is no integer where an
// integer belongs. Every field from there on keeps its default, and the stop is
// recorded as a problem: the writer always writes every field, so a file that
// stops early was cut short or damaged, and a run from it would go on with settings
// (sessions, trial numbers, tutorial, list review) that nobody chose.
class InputFileParser {
public:
    InputFileParser(std::string_view bytes, const std::string& fileName, ExperimentDefinition& definition)
        : reader_(diskToMemoryText(bytes)), fileName_(fileName), definition_(definition)
    {
    }

    bool onlyWhiteSpaceLeft() const { return reader_.onlyWhiteSpaceLeft(); }

    void problem(const std::string& text) { definition_.problems.push_back("input file " + fileName_ + ": " + text); }

    template <std::size_t Capacity>
    bool readText(BoundedText<Capacity>& field, const std::string& name, bool store = true)
    {
        ++fieldNumber_;
        std::string token;
        if (stopped_ || !reader_.readToken(token))
            return stop(name);
        if (store && !field.assign(token))
            problem(name + " " + quoted(token) + " is longer than " + std::to_string(Capacity) +
                    " characters; it was cut");
        return true;
    }

    bool readInt(int& value, const std::string& name)
    {
        ++fieldNumber_;
        if (stopped_ || !reader_.readInt(value))
            return stop(name);
        return true;
    }

private:
    bool stop(const std::string& name)
    {
        if (stopped_)
            return false;
        stopped_ = true;
        const std::string where = "field " + std::to_string(fieldNumber_) + " (" + name + ")";
        if (reader_.atEnd() || reader_.onlyWhiteSpaceLeft()) {
            if (fieldNumber_ == 1)
                problem("the file is empty");
            else
                problem("the file ends before " + where + "; it and the later fields keep their defaults");
        } else {
            problem(where + " is " + quoted(reader_.peekToken()) +
                    ", not an integer; it and the later fields keep their defaults");
        }
        return false;
    }

    TextReader reader_;
    const std::string& fileName_;
    ExperimentDefinition& definition_;
    int fieldNumber_ = 0;
    bool stopped_ = false;
};

// Keeps a value that a run could not use within its range, and records it.
void clampSetting(InputFileParser& parser, int& value, int minimum, int maximum, const std::string& name)
{
    if (value >= minimum && value <= maximum)
        return;
    parser.problem(name + " is " + std::to_string(value) + "; it must lie between " + std::to_string(minimum) +
                   " and " + std::to_string(maximum));
    value = std::clamp(value, minimum, maximum);
}

// Reads one session's eight fields. A session beyond the ninth is read only to find
// the fields after it, and nothing of it is kept or checked.
bool readSession(InputFileParser& parser, SessionSettings& session, int number, bool keep)
{
    const std::string prefix = "session " + std::to_string(number) + " ";
    const auto name = [&](int field) { return prefix + sessionFieldNames[field]; };
    if (!parser.readText(session.Cat1, name(0), keep) || !parser.readText(session.Cat2, name(1), keep))
        return false;
    int* const numbers[6] = {&session.Cat1p, &session.Cat2p, &session.Catsw,
                             &session.Delay, &session.nPrac, &session.nReal};
    bool complete = true;
    for (int k = 0; k < 6 && complete; ++k) {
        int value = 0;
        complete = parser.readInt(value, name(2 + k));
        if (complete && keep)
            *numbers[k] = value;
    }
    if (!keep)
        return complete;
    // Catsw is not checked: a value other than 0 or 1 switches neither pair, which a
    // run survives.
    clampSetting(parser, session.Cat1p, 0, 1, name(2));
    clampSetting(parser, session.Cat2p, 0, 1, name(3));
    clampSetting(parser, session.Delay, 0, maxDelay, name(5));
    clampSetting(parser, session.nPrac, 0, maxTrials, name(6));
    clampSetting(parser, session.nReal, 0, maxTrials, name(7));
    return complete;
}

}  // namespace

ExperimentDefinition parseInputFile(std::string_view bytes, const std::string& fileName)
{
    ExperimentDefinition definition;
    InputFileParser parser(bytes, fileName, definition);

    if (!parser.readText(definition.instructionFileName, "instruction file name"))
        return definition;

    int count = 0;
    if (!parser.readInt(count, "session count"))
        return definition;
    // At most nine sessions are kept, but the file's own count decides where the
    // flags stand, so that they are still found after surplus sessions.
    if (count < 1 || count > maxSessions)
        parser.problem("the session count is " + std::to_string(count) + "; it must lie between 1 and " +
                       std::to_string(maxSessions));
    definition.sessionCount = std::clamp(count, 0, maxSessions);

    for (int s = 0; s < count; ++s) {
        SessionSettings surplus;
        const bool keep = s < maxSessions;
        if (!readSession(parser, keep ? definition.sessions[s] : surplus, s + 1, keep))
            return definition;
    }

    // The flags are kept as read: no value of theirs can upset a run.
    if (!parser.readInt(definition.tutorialIncluded, "tutorialIncluded") ||
        !parser.readInt(definition.editListsIncluded, "editListsIncluded"))
        return definition;

    if (!parser.onlyWhiteSpaceLeft())
        parser.problem("text follows the last field (editListsIncluded)");
    return definition;
}

ExperimentDefinition readInputFile(const std::string& path, const FileSource& source)
{
    const StudyFileText file = readStudyFile(path, "input file", source);
    if (!file.opened) {
        ExperimentDefinition definition;
        definition.problems.push_back(file.error);
        return definition;
    }
    ExperimentDefinition definition = parseInputFile(file.bytes, file.fileName);
    file.noteProblems(definition.problems);
    return definition;
}

namespace {

std::string refusalForName(std::string_view name, const std::string& what)
{
    if (name.empty())
        return what + " is empty";
    if (containsWhiteSpace(name))
        return what + " \"" + std::string(name) + "\" contains white space";
    return {};
}

std::string refusalForRange(int value, int minimum, int maximum, const std::string& what)
{
    if (value >= minimum && value <= maximum)
        return {};
    return what + " is " + std::to_string(value) + "; it must lie between " + std::to_string(minimum) + " and " +
           std::to_string(maximum);
}

// The first reason why the definition would not read back as written, or nothing.
std::string refusalFor(const ExperimentDefinition& definition)
{
    std::string reason = refusalForName(definition.instructionFileName, "the instruction file name");
    if (reason.empty())
        reason = refusalForRange(definition.sessionCount, 1, maxSessions, "the session count");
    for (int s = 0; s < definition.sessionCount && s < maxSessions && reason.empty(); ++s) {
        const SessionSettings& session = definition.sessions[s];
        const std::string prefix = "session " + std::to_string(s + 1) + " ";
        const std::string checks[] = {
            refusalForName(session.Cat1, prefix + "Cat1"),
            refusalForName(session.Cat2, prefix + "Cat2"),
            refusalForRange(session.Cat1p, 0, 1, prefix + "Cat1p"),
            refusalForRange(session.Cat2p, 0, 1, prefix + "Cat2p"),
            refusalForRange(session.Delay, 0, maxDelay, prefix + "Delay"),
            refusalForRange(session.nPrac, 0, maxTrials, prefix + "nPrac"),
            refusalForRange(session.nReal, 0, maxTrials, prefix + "nReal"),
        };
        for (const std::string& check : checks) {
            if (!check.empty()) {
                reason = check;
                break;
            }
        }
    }
    return reason;
}

}  // namespace

bool formatInputFile(const ExperimentDefinition& definition, std::string& bytes, std::string& reason)
{
    reason = refusalFor(definition);
    if (!reason.empty())
        return false;

    TextWriter out;
    out << definition.instructionFileName.view() << '\t' << definition.sessionCount << '\t';
    for (int s = 0; s < definition.sessionCount; ++s) {
        const SessionSettings& session = definition.sessions[s];
        out << session.Cat1.view() << '\t' << session.Cat2.view() << '\t' << session.Cat1p << '\t' << session.Cat2p
            << '\t' << session.Catsw << '\t' << session.Delay << '\t' << session.nPrac << '\t' << session.nReal << '\t';
    }
    out << definition.tutorialIncluded << '\t' << definition.editListsIncluded << '\n';
    bytes = out.bytes();
    return true;
}

WriteOutcome writeInputFile(const ExperimentDefinition& definition, const std::string& path)
{
    return writeStudyFile(formatInputFile, definition, path);
}
