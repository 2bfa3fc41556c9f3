#include "questionnaire/questionnaire_editing.h"

#include <algorithm>

#include "common/study_file.h"

QuestionnaireEditing::QuestionnaireEditing() { clear(); }

void QuestionnaireEditing::clear()
{
    document_.category1Label.clear();
    document_.category2Label.clear();
    document_.fileName.clear();
    document_.problems.clear();
    pages_.clear();
}

void QuestionnaireEditing::replace(const QuestionnaireDocument& opened)
{
    // Copied field by field: pages_ refers to this document's pages and count.
    document_.category1Label = opened.category1Label;
    document_.category2Label = opened.category2Label;
    document_.pages = opened.pages;
    document_.pageCount = std::clamp(opened.pageCount, 1, maxQuestionnairePages);
    for (int i = document_.pageCount; i < maxQuestionnairePages; ++i)
        document_.pages[static_cast<std::size_t>(i)] = QuestionnairePage{};
    if (opened.pageCount < 1)
        document_.pages[0] = QuestionnairePage{};
    document_.fileName = opened.fileName;
    document_.problems.clear();
    pages_.showFirstPage();
}

void QuestionnaireEditing::store(const QuestionnaireForm& form)
{
    document_.category1Label.assign(form.category1Label);
    document_.category2Label.assign(form.category2Label);
    QuestionnairePage& page = pages_.currentPage();
    page.text.assign(form.pageText);
    page.radioItems[0].assign(form.radioItems[0]);
    page.radioItems[1].assign(form.radioItems[1]);
    page.experimenterItem.assign(form.experimenterItem);
    if (form.category == 1 || form.category == 2)
        page.category = form.category;
    if (form.type >= static_cast<int>(PageType::InstructionOnly) &&
        form.type <= static_cast<int>(PageType::ExperimenterItem))
        page.type = static_cast<PageType>(form.type);
}

QuestionnaireForm QuestionnaireEditing::show(const QuestionnaireForm& shown) const
{
    const QuestionnairePage& page = pages_.currentPage();
    QuestionnaireForm form;
    form.fileName = document_.fileName;
    form.category1Label = document_.category1Label.str();
    form.category2Label = document_.category2Label.str();
    form.category = (page.category == 1 || page.category == 2) ? page.category : shown.category;
    const int type = static_cast<int>(page.type);
    form.type = (type >= 1 && type <= 5) ? type : 0;
    form.pageText = page.text.str();
    form.radioItems = {page.radioItems[0].str(), page.radioItems[1].str()};
    form.experimenterItem = page.experimenterItem.str();
    form.pageIndex = pages_.current();
    form.pageCount = pages_.count();
    return form;
}

ChoiceBoxes QuestionnaireEditing::choiceBoxes() const
{
    ChoiceBoxes boxes;
    const QuestionnairePage& page = pages_.currentPage();
    for (std::size_t k = 0; k < boxes.size(); ++k)
        boxes[k] = page.choices[k].str();
    return boxes;
}

void QuestionnaireEditing::applyChoiceBoxes(const ChoiceBoxes& boxes)
{
    QuestionnairePage& page = pages_.currentPage();
    int count = 0;
    for (const std::string& box : boxes) {
        if (!box.empty())
            page.choices[static_cast<std::size_t>(count++)].assign(box);
    }
    page.choiceCount = count;
}

bool QuestionnaireEditing::needsItemCountWarning() const { return !isUsable(itemCounts(document_)); }

std::vector<std::string> listedChoices(const QuestionnairePage& page)
{
    std::vector<std::string> choices;
    const int count = std::clamp(page.choiceCount, 0, maxChoices);
    for (int j = 0; j < count; ++j)
        choices.push_back(page.choices[static_cast<std::size_t>(j)].str());
    return choices;
}

OpenedQuestionnaire readQuestionnaireForEditing(const std::string& path, const FileSource& source)
{
    OpenedQuestionnaire result;
    const StudyFileText file = readStudyFileForEditing(path, "questionnaire", source);
    // A file the editor cannot read leaves its document as it is.
    if (!file.opened) {
        result.error = file.error;
        return result;
    }
    result.opened = true;
    result.document = parseQuestionnaireFile(file.bytes, file.fileName);
    result.document.fileName = path;
    file.noteProblems(result.document.problems);
    return result;
}
