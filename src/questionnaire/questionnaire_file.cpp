#include "questionnaire/questionnaire_file.h"

#include <algorithm>
#include <charconv>

#include "common/study_file.h"
#include "common/text_stream.h"

namespace {

std::string pageName(int index) { return "page " + std::to_string(index + 1); }

class QuestionnaireParser {
public:
    QuestionnaireParser(std::string_view bytes, const std::string& fileName, QuestionnaireDocument& document)
        : reader_(diskToMemoryText(bytes)), fileName_(fileName), document_(document)
    {
    }

    void parse()
    {
        const bool complete = readFile();
        checkExperimenterItems();
        if (complete && !reader_.onlyWhiteSpaceLeft())
            problem("text follows the last page");
    }

private:
    void problem(const std::string& text) { document_.problems.push_back("questionnaire " + fileName_ + ": " + text); }

    // True when the whole file as its counts describe it was read and nothing was
    // left out, so that whatever follows is surplus.
    bool readFile()
    {
        if (!field(document_.category1Label, "the first label"))
            return false;
        reader_.consumeLineEnd();
        if (!field(document_.category2Label, "the second label"))
            return false;
        reader_.consumeLineEnd();
        int count = 0;
        if (!number(count, "the page count"))
            return false;
        if (count < 0) {
            problem("the page count is " + std::to_string(count) + "; no pages were read");
            return false;
        }
        if (count > maxQuestionnairePages) {
            problem("the file has " + std::to_string(count) + " pages, at most " +
                    std::to_string(maxQuestionnairePages) + " are allowed; the last " +
                    std::to_string(count - maxQuestionnairePages) + " were left out");
        }
        // A file that ends early keeps the count; the pages it lacks stay blank.
        document_.pageCount = std::min(count, maxQuestionnairePages);
        for (int i = 0; i < document_.pageCount; ++i) {
            if (!page(i))
                return false;
        }
        return count <= maxQuestionnairePages;
    }

    // Reads one page by the rules of its type; false when the file ends within it.
    bool page(int index)
    {
        QuestionnairePage& p = document_.pages[index];
        const std::string name = pageName(index);
        if (!number(p.category, "the category of " + name))
            return false;
        reader_.consumeLineEnd();
        if (!field(p.text, "the text of " + name))
            return false;
        reader_.consumeLineEnd();
        int type = 0;
        if (!number(type, "the type of " + name))
            return false;
        p.type = static_cast<PageType>(type);
        switch (p.type) {
        case PageType::InstructionOnly:
        case PageType::TextResponse:
            // The next number read skips the line end.
            return true;
        case PageType::RadioChoice:
            reader_.consumeLineEnd();
            if (!field(p.radioItems[0], "radio item 1 of " + name))
                return false;
            reader_.consumeLineEnd();
            if (!field(p.radioItems[1], "radio item 2 of " + name))
                return false;
            reader_.consumeLineEnd();
            return true;
        case PageType::ListOfChoices:
            return choices(p, name);
        case PageType::ExperimenterItem:
            reader_.consumeLineEnd();
            if (!field(p.experimenterItem, "the experimenter item of " + name))
                return false;
            reader_.consumeLineEnd();
            return true;
        }
        problem(name + " has the type " + std::to_string(type) + ", which is not one of 1 to 5");
        return true;
    }

    // Reads as many choices as the file's count says, so that the next page starts
    // where the file puts it; only the first 18 are kept.
    bool choices(QuestionnairePage& p, const std::string& name)
    {
        int count = 0;
        if (!number(count, "the choice count of " + name))
            return false;
        if (count > maxChoices) {
            problem(name + " has " + std::to_string(count) + " choices, at most " + std::to_string(maxChoices) +
                    " are allowed; the last " + std::to_string(count - maxChoices) + " were left out");
        } else if (count < 0) {
            problem(name + " has the choice count " + std::to_string(count) + "; it has no choices");
        }
        p.choiceCount = std::clamp(count, 0, maxChoices);
        for (int j = 0; j < count; ++j) {
            reader_.consumeLineEnd();
            const std::string what = "choice " + std::to_string(j + 1) + " of " + name;
            if (j < maxChoices) {
                if (!field(p.choices[j], what))
                    return false;
            } else if (std::string surplus; !rawField(surplus, what)) {
                return false;
            }
        }
        reader_.consumeLineEnd();
        return true;
    }

    // A field up to its "#"; false, with the problem, when the file ends first.
    bool rawField(std::string& value, const std::string& what)
    {
        bool closed = false;
        if (!reader_.readUntil('#', value, closed)) {
            problem("the file ends before " + what);
            return false;
        }
        if (!closed) {
            problem("the file ends before the \"#\" after " + what);
            return false;
        }
        return true;
    }

    // A field kept at most to the target's capacity; what the file ended on is kept too.
    template <std::size_t Capacity>
    bool field(BoundedText<Capacity>& target, const std::string& what)
    {
        std::string value;
        const bool complete = rawField(value, what);
        if (!target.assign(value))
            problem(what + " " + quoted(value) + " is longer than " + std::to_string(Capacity) +
                    " characters; it was cut");
        return complete;
    }

    bool number(int& value, const std::string& what)
    {
        if (reader_.readInt(value))
            return true;
        if (reader_.onlyWhiteSpaceLeft())
            problem("the file ends before " + what);
        else
            problem(what + " is " + quoted(reader_.peekToken()) + ", not an integer");
        return false;
    }

    // Experimenter items stand in their category's list ahead of every answer; a
    // list holds 18 items besides its label.
    void checkExperimenterItems()
    {
        int counts[2] = {0, 0};
        for (int i = 0; i < document_.pageCount; ++i) {
            const QuestionnairePage& p = document_.pages[i];
            if (p.type == PageType::ExperimenterItem && (p.category == 1 || p.category == 2))
                ++counts[p.category - 1];
        }
        for (int c = 0; c < 2; ++c) {
            if (counts[c] > maxItems)
                problem("category " + std::to_string(c + 1) + " has " + std::to_string(counts[c]) +
                        " experimenter items, but its list holds at most " + std::to_string(maxItems) + " items");
        }
    }

    TextReader reader_;
    const std::string& fileName_;
    QuestionnaireDocument& document_;
};

bool holdsHash(std::string_view text) { return text.find('#') != std::string_view::npos; }

// Why the document cannot be written, or empty when it can.
std::string refusal(const QuestionnaireDocument& document)
{
    const std::string hash = " contains \"#\", which ends a field in the file";
    if (document.pageCount < 1 || document.pageCount > maxQuestionnairePages)
        return "the page count is " + std::to_string(document.pageCount) + "; it must be 1 to " +
               std::to_string(maxQuestionnairePages);
    if (holdsHash(document.category1Label))
        return "the first label" + hash;
    if (holdsHash(document.category2Label))
        return "the second label" + hash;
    for (int i = 0; i < document.pageCount; ++i) {
        const QuestionnairePage& p = document.pages[i];
        const std::string name = pageName(i);
        if (holdsHash(p.text))
            return "the text of " + name + hash;
        switch (p.type) {
        case PageType::InstructionOnly:
        case PageType::TextResponse:
            break;
        case PageType::RadioChoice:
            for (int r = 0; r < 2; ++r) {
                if (holdsHash(p.radioItems[r]))
                    return "radio item " + std::to_string(r + 1) + " of " + name + hash;
            }
            break;
        case PageType::ListOfChoices:
            if (p.choiceCount < 0 || p.choiceCount > maxChoices)
                return name + " has the choice count " + std::to_string(p.choiceCount) + "; it must be 0 to " +
                       std::to_string(maxChoices);
            for (int j = 0; j < p.choiceCount; ++j) {
                if (holdsHash(p.choices[j]))
                    return "choice " + std::to_string(j + 1) + " of " + name + hash;
            }
            break;
        case PageType::ExperimenterItem:
            if (holdsHash(p.experimenterItem))
                return "the experimenter item of " + name + hash;
            break;
        default:
            return name + " has the type " + std::to_string(static_cast<int>(p.type)) + "; it must be 1 to 5";
        }
    }
    return {};
}

}  // namespace

QuestionnaireDocument parseQuestionnaireFile(std::string_view bytes, const std::string& fileName)
{
    QuestionnaireDocument document;
    document.fileName = fileName;
    document.pageCount = 0;
    QuestionnaireParser(bytes, fileName, document).parse();
    return document;
}

QuestionnaireDocument readQuestionnaireFile(const std::string& path, const FileSource& source)
{
    const StudyFileText file = readStudyFile(path, "questionnaire", source);
    if (!file.opened) {
        QuestionnaireDocument document;
        document.fileName = path;
        document.pageCount = 0;
        document.problems.push_back(file.error);
        return document;
    }
    QuestionnaireDocument document = parseQuestionnaireFile(file.bytes, file.fileName);
    document.fileName = path;
    file.noteProblems(document.problems);
    return document;
}

bool formatQuestionnaireFile(const QuestionnaireDocument& document, std::string& bytes, std::string& reason)
{
    reason = refusal(document);
    if (!reason.empty())
        return false;

    TextWriter out;
    out << document.category1Label.view() << "#\n" << document.category2Label.view() << "#\n";
    out << document.pageCount << '\n';
    for (int i = 0; i < document.pageCount; ++i) {
        const QuestionnairePage& p = document.pages[i];
        out << p.category << '\n' << p.text.view() << "#\n" << static_cast<int>(p.type) << '\n';
        switch (p.type) {
        case PageType::RadioChoice:
            out << p.radioItems[0].view() << "#\n" << p.radioItems[1].view() << "#\n";
            break;
        case PageType::ListOfChoices:
            out << p.choiceCount << '\n';
            for (int j = 0; j < p.choiceCount; ++j)
                out << p.choices[j].view() << "#\n";
            break;
        case PageType::ExperimenterItem:
            out << p.experimenterItem.view() << "#\n";
            break;
        default:
            break;
        }
    }
    bytes = out.bytes();
    return true;
}

WriteOutcome writeQuestionnaireFile(const QuestionnaireDocument& document, const std::string& path)
{
    return writeStudyFile(formatQuestionnaireFile, document, path);
}

namespace {

// Counts the items of each category; answer pages count only when withAnswers.
ItemCounts countItems(const QuestionnaireDocument& document, bool withAnswers)
{
    ItemCounts counts;
    const int pages = std::clamp(document.pageCount, 0, maxQuestionnairePages);
    for (int i = 0; i < pages; ++i) {
        const QuestionnairePage& p = document.pages[i];
        switch (p.type) {
        case PageType::RadioChoice:
            if (withAnswers) {
                ++counts.category1;
                ++counts.category2;
            }
            break;
        case PageType::TextResponse:
        case PageType::ListOfChoices:
        case PageType::ExperimenterItem:
            if (p.type != PageType::ExperimenterItem && !withAnswers)
                break;
            if (p.category == 1)
                ++counts.category1;
            else if (p.category == 2)
                ++counts.category2;
            break;
        default:
            break;
        }
    }
    return counts;
}

}  // namespace

ItemCounts itemCounts(const QuestionnaireDocument& document) { return countItems(document, true); }

ItemCounts guaranteedItems(const QuestionnaireDocument& document) { return countItems(document, false); }

bool isUsable(const ItemCounts& counts)
{
    const auto within = [](int n) { return n >= minCategoryItems && n <= maxCategoryItems; };
    return within(counts.category1) && within(counts.category2);
}

bool isUsable(const QuestionnaireDocument& document)
{
    return document.problems.empty() && isUsable(itemCounts(document));
}
