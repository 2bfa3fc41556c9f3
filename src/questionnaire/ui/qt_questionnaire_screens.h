#pragma once
// The questionnaire's pages on screen: one dialog of each kind, made once and
// reused for every page of its kind, modal over a parent widget; the warning in the
// WarningDialog.

#include <QPointer>

#include "questionnaire/ui/list_question_dialog.h"
#include "questionnaire/questionnaire_screens.h"
#include "questionnaire/ui/radio_question_dialog.h"
#include "questionnaire/ui/text_question_dialog.h"

class QtQuestionnaireScreens : public QuestionnaireScreens {
public:
    explicit QtQuestionnaireScreens(QWidget* parent = nullptr);
    ~QtQuestionnaireScreens() override;
    QtQuestionnaireScreens(const QtQuestionnaireScreens&) = delete;
    QtQuestionnaireScreens& operator=(const QtQuestionnaireScreens&) = delete;

    TextReply askText(std::string_view question) override;
    RadioReply askRadio(std::string_view question, std::string_view first, std::string_view second) override;
    ListReply askList(std::string_view question, const std::vector<std::string>& choices) override;
    void showWarning(std::string_view message) override;

    TextQuestionDialog* textDialog() const { return text_; }
    RadioQuestionDialog* radioDialog() const { return radio_; }
    ListQuestionDialog* listDialog() const { return list_; }

private:
    QWidget* parent_;
    // Children of parent; deleted with this object unless the parent went first.
    QPointer<TextQuestionDialog> text_;
    QPointer<RadioQuestionDialog> radio_;
    QPointer<ListQuestionDialog> list_;
};
