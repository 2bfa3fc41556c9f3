#pragma once
// A questionnaire page with a list of choices in their given order. It opens with
// nothing selected; OK closes it only when an entry is selected or "no answer" is
// checked. Escape and the close box close it without an answer.

#include <string>
#include <string_view>
#include <vector>

#include "common/ui/template_dialog.h"
#include "questionnaire/question_replies.h"

class ListQuestionDialog : public TemplateDialog {
    Q_OBJECT
public:
    enum ControlId { FrameId = 1, QuestionId, ListId, NoAnswerId, MessageId, OkId };

    explicit ListQuestionDialog(QWidget* parent = nullptr);
    static const DialogTemplate& dialogTemplate();

    // Sets up the dialog for a page: the single-byte question and choices, nothing
    // selected, "no answer" unchecked and an empty message line.
    void setPage(std::string_view question, const std::vector<std::string>& choices);
    // The index of the selected entry, -1 for none.
    int selection() const;
    ListReply reply() const;
    ListReply ask(std::string_view question, const std::vector<std::string>& choices);

    QString message() const;
    void confirm();
};
