#pragma once
// Questionnaire documents for the tests, page by page.

#include <string>
#include <vector>

#include "questionnaire/questionnaire_file.h"

inline QuestionnairePage instructionPage(const std::string& text)
{
    QuestionnairePage p;
    p.type = PageType::InstructionOnly;
    p.text.assign(text);
    return p;
}

inline QuestionnairePage textPage(int category, const std::string& question)
{
    QuestionnairePage p;
    p.type = PageType::TextResponse;
    p.category = category;
    p.text.assign(question);
    return p;
}

inline QuestionnairePage radioPage(int category, const std::string& question, const std::string& first,
                                   const std::string& second)
{
    QuestionnairePage p;
    p.type = PageType::RadioChoice;
    p.category = category;
    p.text.assign(question);
    p.radioItems[0].assign(first);
    p.radioItems[1].assign(second);
    return p;
}

inline QuestionnairePage listPage(int category, const std::string& question, const std::vector<std::string>& choices)
{
    QuestionnairePage p;
    p.type = PageType::ListOfChoices;
    p.category = category;
    p.text.assign(question);
    p.choiceCount = static_cast<int>(choices.size());
    for (std::size_t i = 0; i < choices.size(); ++i)
        p.choices[i].assign(choices[i]);
    return p;
}

inline QuestionnairePage itemPage(int category, const std::string& item, const std::string& note = "")
{
    QuestionnairePage p;
    p.type = PageType::ExperimenterItem;
    p.category = category;
    p.text.assign(note);
    p.experimenterItem.assign(item);
    return p;
}

inline QuestionnaireDocument makeDocument(const std::string& label1, const std::string& label2,
                                          const std::vector<QuestionnairePage>& pages)
{
    QuestionnaireDocument d;
    d.category1Label.assign(label1);
    d.category2Label.assign(label2);
    d.pageCount = static_cast<int>(pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i)
        d.pages[i] = pages[i];
    return d;
}

inline std::string formatted(const QuestionnaireDocument& d)
{
    std::string bytes, reason;
    if (!formatQuestionnaireFile(d, bytes, reason))
        return "refused: " + reason;
    return bytes;
}
