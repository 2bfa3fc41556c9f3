#pragma once
// The screens of a questionnaire run: one call per modal page, returning what the
// participant did. The runner decides what is recorded from the reply; the check
// of OK (question_replies.h) is applied by the screen itself, which keeps its page
// open with the check's message until the reply passes it or the page is closed
// with Escape. The Qt implementation shows the question dialogs; a scripted one
// answers from a script.

#include <string_view>
#include <vector>

#include "questionnaire/question_replies.h"

class QuestionnaireScreens {
public:
    virtual ~QuestionnaireScreens() = default;

    // Each page opens with an empty answer, nothing selected, "no answer" unchecked
    // and an empty message line. Texts are single-byte; a question holds its line
    // breaks as CR LF.
    virtual TextReply askText(std::string_view question) = 0;
    virtual RadioReply askRadio(std::string_view question, std::string_view first, std::string_view second) = 0;
    // The choices in display order.
    virtual ListReply askList(std::string_view question, const std::vector<std::string>& choices) = 0;

    // The warning that a questionnaire cannot be run; returns however it is closed.
    virtual void showWarning(std::string_view message) = 0;
};
