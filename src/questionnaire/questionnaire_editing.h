#pragma once
// The questionnaire editor's rules without its widgets: the document and its page
// commands, "store page" from the form's fields into the current page and "show
// page" back, the choices of a list page, and opening a file for editing. The
// dialog only copies between its widgets and a QuestionnaireForm.

#include <array>
#include <string>
#include <vector>

#include "common/paged_document.h"
#include "questionnaire/questionnaire_file.h"

using QuestionnairePages = PagedDocument<QuestionnairePage, maxQuestionnairePages>;

// What the editor's form holds, as single-byte text; the page text with CR LF breaks.
struct QuestionnaireForm {
    std::string fileName;  // shown only; store page does not take it
    std::string category1Label;
    std::string category2Label;
    int category = 0;  // the selected category button, 1 or 2; 0 when neither is
    int type = 0;      // the selected type button, 1 to 5; 0 when none is
    std::string pageText;
    std::array<std::string, 2> radioItems;
    std::string experimenterItem;
    int pageIndex = 0;  // 0-based
    int pageCount = 1;

    friend bool operator==(const QuestionnaireForm&, const QuestionnaireForm&) = default;
};

// The boxes of the list options dialog, choice 1 at the top.
using ChoiceBoxes = std::array<std::string, maxChoices>;

inline constexpr const char* itemCountWarning =
    "There's a minimum 4 and maximum 18 items in each category: the QAV will not run with this file.";
inline constexpr const char* experimenterItemPreview =
    "Experimenter provided item:  No page will be seen by study participant.";

class QuestionnaireEditing {
public:
    // A cleared document, its first page current, the fresh flag set.
    QuestionnaireEditing();
    QuestionnaireEditing(const QuestionnaireEditing&) = delete;
    QuestionnaireEditing& operator=(const QuestionnaireEditing&) = delete;

    const QuestionnaireDocument& document() const { return document_; }
    QuestionnairePages& pages() { return pages_; }
    const QuestionnairePages& pages() const { return pages_; }

    // New: both labels and the file name empty, one blank page.
    void clear();
    // Open: the document read from a file replaces this one and its first page is
    // current; a file without pages gives one blank page. The reader's problems
    // are not kept: the caller shows them.
    void replace(const QuestionnaireDocument& opened);
    // After a successful save.
    void setFileName(const std::string& path) { document_.fileName = path; }

    // Store page: the labels into the document; the page text, radio items and
    // experimenter item into the current page whatever its type; the category and
    // the type when a button of theirs is selected.
    void store(const QuestionnaireForm& form);
    // Show page: the form for the current page, starting from the form shown now. A
    // page without category 1 or 2 leaves the category buttons as they were, so the
    // next store gives it the category they still show; a page of no known type
    // selects no type button.
    QuestionnaireForm show(const QuestionnaireForm& shown) const;

    // Edit List of Choices: the boxes show what the current page holds in its 18
    // choice slots; on OK the boxes that are not empty become its choices in order,
    // and its choice count their number. Slots beyond the new count keep their text.
    ChoiceBoxes choiceBoxes() const;
    void applyChoiceBoxes(const ChoiceBoxes& boxes);

    // Whether Save warns that a run will refuse the file: a category with fewer than
    // 4 or more than 18 items.
    bool needsItemCountWarning() const;

private:
    QuestionnaireDocument document_;
    QuestionnairePages pages_{document_.pages, document_.pageCount};
};

// The choices a list page shows: the first choice count of them.
std::vector<std::string> listedChoices(const QuestionnairePage& page);

struct OpenedQuestionnaire {
    bool opened = false;  // false: the file could not be read; error says why
    std::string error;
    QuestionnaireDocument document;  // its problems are the reader's
};
// Reads a questionnaire file for the editor; the document's file name is path.
OpenedQuestionnaire readQuestionnaireForEditing(const std::string& path, const FileSource& source = diskFiles());
