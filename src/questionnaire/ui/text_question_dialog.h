#pragma once
// A questionnaire page that asks for a typed answer. OK closes it only when the
// answer has two characters or "no answer" is checked; otherwise the message line
// says what is missing. Escape and the close box close it without an answer.

#include <string_view>

#include "common/ui/template_dialog.h"
#include "questionnaire/question_replies.h"

class TextQuestionDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId { FrameId = 1, QuestionId, AnswerId, NoAnswerId, MessageId, OkId };

    explicit TextQuestionDialog(QWidget* parent = nullptr);
    static const DialogTemplate& dialogTemplate();

    // Sets up the dialog for a page: the single-byte question, an empty answer,
    // "no answer" unchecked and an empty message line.
    void setPage(std::string_view question);
    // What the page holds, and whether it was closed with OK.
    TextReply reply() const;
    // Sets up the page, shows it modally and returns the reply.
    TextReply ask(std::string_view question);

    QString message() const;
    // OK and Enter.
    void confirm();
};
