#include "questionnaire/question_replies.h"

std::optional<std::string> checkTextReply(std::string_view answer, bool noAnswer)
{
    // One character is not an answer.
    if (noAnswer || answer.size() >= 2)
        return std::nullopt;
    return textReplyMessage;
}

std::optional<std::string> checkRadioReply(int selection, bool noAnswer)
{
    if (noAnswer || selection == 0 || selection == 1)
        return std::nullopt;
    return radioReplyMessage;
}

std::optional<std::string> checkListReply(int selection, bool noAnswer)
{
    if (noAnswer || selection >= 0)
        return std::nullopt;
    return listReplyMessage;
}
