#include "files/word_list.h"

#include <algorithm>

#include "common/study_file.h"
#include "common/text_stream.h"

namespace {

std::string entryName(int index, char category)
{
    if (index == 0)
        return std::string("the label of category ") + category;
    return "item " + std::to_string(index) + " of category " + category;
}

void clearContents(WordList& list)
{
    list.entriesA = Entries{};
    list.entriesB = Entries{};
    list.entryCountA = 0;
    list.entryCountB = 0;
    list.linesA = {};
    list.linesB = {};
    list.problems.clear();
}

class WordListParser {
public:
    WordListParser(std::string_view bytes, const std::string& fileName, WordList& list)
        : reader_(diskToMemoryText(bytes)), fileName_(fileName), list_(list)
    {
    }

    void problem(const std::string& text) { list_.problems.push_back("word list " + fileName_ + ": " + text); }

    bool readCount(int& count, char category)
    {
        if (reader_.readInt(count))
            return true;
        const std::string what = std::string("the count of category ") + category;
        if (reader_.onlyWhiteSpaceLeft())
            problem("the file ends before " + what);
        else
            problem(what + " is " + quoted(reader_.peekToken()) + ", not an integer");
        return false;
    }

    // The entry count kept for a category: the count in the file within 1 to 19.
    int keptCount(int count, char category)
    {
        if (count > maxEntries) {
            problem(std::string("category ") + category + " has " + std::to_string(count) + " entries, at most " +
                    std::to_string(maxEntries) + " are allowed; the last " + std::to_string(count - maxEntries) +
                    " were left out");
        } else if (count < 1) {
            problem(std::string("category ") + category + " has " + std::to_string(count) +
                    " entries, at least 1 (the label) is needed");
        }
        return std::clamp(count, 1, maxEntries);
    }

    // Reads as many tokens as the file's count says, so that the next category
    // starts where the file puts it; only the first 19 are kept.
    bool readCategory(int count, Entries& entries, std::array<int, maxEntries>& lines, char category)
    {
        for (int i = 0; i < count; ++i) {
            std::string token;
            if (!reader_.readToken(token)) {
                problem("the file ends after " + std::to_string(i) + " of " + std::to_string(count) +
                        " entries of category " + category);
                return false;
            }
            if (i < maxEntries)
                lines[i] = reader_.line();
            if (i < maxEntries && !entries[i].assign(token))
                problem(entryName(i, category) + " " + quoted(token) + " is longer than " +
                        std::to_string(entryCapacity) + " characters; it was cut");
        }
        return true;
    }

    bool onlyWhiteSpaceLeft() const { return reader_.onlyWhiteSpaceLeft(); }

private:
    TextReader reader_;
    const std::string& fileName_;
    WordList& list_;
};

}  // namespace

void parseWordListFile(std::string_view bytes, const std::string& fileName, WordList& list)
{
    clearContents(list);
    WordListParser parser(bytes, fileName, list);
    int countA = 0;
    int countB = 0;
    if (!parser.readCount(countA, 'A'))
        return;
    list.entryCountA = parser.keptCount(countA, 'A');
    if (!parser.readCount(countB, 'B'))
        return;
    list.entryCountB = parser.keptCount(countB, 'B');
    // A file that ends early leaves the counts as read and the missing entries empty.
    if (!parser.readCategory(countA, list.entriesA, list.linesA, 'A') ||
        !parser.readCategory(countB, list.entriesB, list.linesB, 'B'))
        return;
    if (!parser.onlyWhiteSpaceLeft())
        parser.problem("text follows the last entry of category B");
}

void readWordListFile(const std::string& path, WordList& list, const FileSource& source)
{
    list.isQuestionnaire = false;
    const StudyFileText file = readStudyFile(path, "word list", source);
    if (!file.opened) {
        clearContents(list);
        list.problems.push_back(file.error);
        return;
    }
    parseWordListFile(file.bytes, file.fileName, list);
    file.noteProblems(list.problems);
}

void parseQuestionnaireLabels(std::string_view bytes, const std::string& fileName, WordList& list)
{
    clearContents(list);
    list.isQuestionnaire = true;
    list.entryCountA = 1;
    list.entryCountB = 1;
    const auto problem = [&](const std::string& text) {
        list.problems.push_back("questionnaire " + fileName + ": " + text);
    };
    const auto keepLabel = [&](Entry& entry, const std::string& label, const char* which) {
        if (!entry.assign(label))
            problem(std::string("the ") + which + " label " + quoted(label) + " is longer than " +
                    std::to_string(entryCapacity) + " characters; it was cut");
    };

    // Label A ends at the first "#"; the one byte after it is its line end, and
    // label B runs from there to the next "#".
    const std::string text = diskToMemoryText(bytes);
    const std::size_t firstEnd = text.find('#');
    keepLabel(list.entriesA[0], text.substr(0, firstEnd), "first");
    if (firstEnd == std::string::npos) {
        problem("the file ends before the \"#\" after the first label");
        return;
    }
    const std::size_t secondStart = firstEnd + 2;
    if (secondStart > text.size()) {
        problem("the file ends before the second label");
        return;
    }
    const std::size_t secondEnd = text.find('#', secondStart);
    keepLabel(list.entriesB[0], text.substr(secondStart, secondEnd - secondStart), "second");
    if (secondEnd == std::string::npos)
        problem("the file ends before the \"#\" after the second label");
}

void readQuestionnaireLabels(const std::string& path, WordList& list, const FileSource& source)
{
    const StudyFileText file = readStudyFile(path, "questionnaire", source);
    if (!file.opened) {
        clearContents(list);
        list.isQuestionnaire = true;
        list.entryCountA = 1;
        list.entryCountB = 1;
        list.problems.push_back(file.error);
        return;
    }
    // Only the head is read, so a cut beyond maxReadBytes does not matter here.
    parseQuestionnaireLabels(file.bytes, file.fileName, list);
    file.noteEncodingProblem(file.prefix, list.problems);
}

namespace {

std::string refusalForCategory(const Entries& entries, int count, char category)
{
    const std::string name = std::string("category ") + category;
    if (count < 1 || count > maxEntries)
        return name + " has " + std::to_string(count) + " entries; it must have 1 to " + std::to_string(maxEntries);
    if (entries[0].empty())
        return entryName(0, category) + " is empty";
    int items = 0;
    for (int i = 0; i < maxEntries; ++i) {
        if (containsWhiteSpace(entries[i]))
            return entryName(i, category) + " " + quoted(entries[i].str()) + " contains white space";
        if (i > 0 && !entries[i].empty())
            ++items;
    }
    if (count != items + 1)
        return name + " has the entry count " + std::to_string(count) + " but " + std::to_string(items) +
               " items (the count includes the label)";
    return {};
}

void writeCategory(TextWriter& out, const Entries& entries)
{
    out << entries[0].view() << '\n';
    for (int i = 1; i < maxEntries; ++i) {
        if (!entries[i].empty())
            out << entries[i].view() << '\n';
    }
}

}  // namespace

bool formatWordListFile(const WordList& list, std::string& bytes, std::string& reason)
{
    reason = refusalForCategory(list.entriesA, list.entryCountA, 'A');
    if (reason.empty())
        reason = refusalForCategory(list.entriesB, list.entryCountB, 'B');
    if (!reason.empty())
        return false;

    TextWriter out;
    out << list.entryCountA << '\n' << list.entryCountB << '\n';
    writeCategory(out, list.entriesA);
    writeCategory(out, list.entriesB);
    bytes = out.bytes();
    return true;
}

WriteOutcome writeWordListFile(const WordList& list, const std::string& path)
{
    return writeStudyFile(formatWordListFile, list, path);
}
