#pragma once
// A questionnaire page with two alternatives, each an unlabelled radio button
// beside its text. OK closes it only when an alternative is selected or "no
// answer" is checked; Escape and the close box close it without an answer.

#include <string_view>

#include "common/ui/template_dialog.h"
#include "questionnaire/question_replies.h"

class RadioQuestionDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId {
        QuestionId = 1,
        FirstButtonId,
        FirstLabelId,
        OrId,
        SecondButtonId,
        SecondLabelId,
        NoAnswerId,
        MessageId,
        OkId,
    };

    explicit RadioQuestionDialog(QWidget* parent = nullptr);
    static const DialogTemplate& dialogTemplate();

    // Sets up the dialog for a page: the single-byte question and alternatives,
    // neither selected, "no answer" unchecked and an empty message line.
    void setPage(std::string_view question, std::string_view first, std::string_view second);
    // 0 the first alternative, 1 the second, -1 none.
    int selection() const;
    RadioReply reply() const;
    RadioReply ask(std::string_view question, std::string_view first, std::string_view second);

    QString message() const;
    void confirm();
};
