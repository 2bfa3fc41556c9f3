#pragma once
// The questionnaire file (.qls): two category labels and up to 60 pages, each of
// which shows a text, asks a question or supplies an item of its own. The editor
// keeps it as a QuestionnaireDocument; the runner reads the same document and
// builds the two category lists from it.

#include <array>
#include <string>
#include <string_view>

#include "common/file_io.h"
#include "common/file_source.h"
#include "common/problems.h"
#include "files/word_list.h"
#include "instructions/instruction_pages.h"

inline constexpr int maxQuestionnairePages = 60;
inline constexpr int maxChoices = 18;

// What a page does; the values are those of the file.
enum class PageType : int {
    InstructionOnly = 1,   // shows its text with OK
    TextResponse = 2,      // the typed answer joins the page's category
    RadioChoice = 3,       // the chosen item joins the page's category, the other one the other category
    ListOfChoices = 4,     // the selected choice joins the page's category
    ExperimenterItem = 5,  // its item joins the page's category without being shown
};

// Every field exists on every page; a page uses, and the file holds, only those of
// its type. A page text holds its line breaks as CR LF.
struct QuestionnairePage {
    PageType type = PageType::InstructionOnly;
    int category = 0;  // 1 or 2; 0 when none is chosen
    PageText text;
    std::array<Entry, 2> radioItems;
    int choiceCount = 0;
    std::array<Entry, maxChoices> choices;
    Entry experimenterItem;
};

struct QuestionnaireDocument {
    Entry category1Label;
    Entry category2Label;
    int pageCount = 1;  // pages in use; slots beyond it are blank pages
    std::array<QuestionnairePage, maxQuestionnairePages> pages;
    std::string fileName;  // the path last opened or saved; empty for a new document

    // What the reader had to cut or clamp, and values a run cannot use.
    Problems problems;
};

// Parses the bytes of a questionnaire file; fileName names the file in problems and
// becomes the document's file name. The reader keeps what the model can hold and
// records as a problem: a page count above 60 (the first 60 pages are read), a
// negative page count, a choice count above 18 (every choice is read, the first 18
// are kept) or below 0, a type outside 1 to 5, a field longer than its capacity (cut
// to it), more than 18 experimenter items of one category, and a file that ends
// before its last page is complete or holds text after it.
QuestionnaireDocument parseQuestionnaireFile(std::string_view bytes, const std::string& fileName);
// Reads the file at path; a file that cannot be opened gives empty labels, no pages
// and a problem. The document's file name is path.
QuestionnaireDocument readQuestionnaireFile(const std::string& path, const FileSource& source = diskFiles());

// The file's bytes for the pages in use. Refuses a page count outside 1 to 60, a
// type outside 1 to 5, a choice count outside 0 to 18 and a "#" in any field that
// is written, since "#" ends a field in the file. Fields cannot exceed their
// capacity: the document's bounded texts never hold more.
bool formatQuestionnaireFile(const QuestionnaireDocument& document, std::string& bytes, std::string& reason);
// Formats and replaces the file at path atomically.
WriteOutcome writeQuestionnaireFile(const QuestionnaireDocument& document, const std::string& path);

// The items a category can expect, counted from the pages in use: TextResponse,
// ListOfChoices and ExperimenterItem pages of that category, and every RadioChoice
// page whatever its category. Pages, not answers, are counted.
struct ItemCounts {
    int category1 = 0;
    int category2 = 0;
};
ItemCounts itemCounts(const QuestionnaireDocument& document);
// The items a category gets whatever the participant answers ("no answer" on every
// answer page): its ExperimenterItem pages.
ItemCounts guaranteedItems(const QuestionnaireDocument& document);

inline constexpr int minCategoryItems = 4;
inline constexpr int maxCategoryItems = maxItems;

// The item count rule: both categories between 4 and 18 items.
bool isUsable(const ItemCounts& counts);
// A questionnaire can be run when its file had no problems and it passes the rule.
bool isUsable(const QuestionnaireDocument& document);
