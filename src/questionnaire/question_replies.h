#pragma once
// What a participant did on a question page, and the check that OK applies before
// the page may close. The page dialogs call these checks, so the rule of when a
// page is answered, and the message shown while it is not, lives here.

#include <optional>
#include <string>
#include <string_view>

// The answer box holds at most this many characters: the width of a list entry.
inline constexpr int answerCapacity = 15;

inline constexpr const char* textReplyMessage = "PLEASE EITHER PROVIDE AN ANSWER, OR SELECT \"NO ANSWER\".";
inline constexpr const char* radioReplyMessage = "PLEASE EITHER SELECT AN ANSWER, OR SELECT \"NO ANSWER\".";
inline constexpr const char* listReplyMessage = "PLEASE SELECT AN ITEM FROM THE LIST, OR SELECT \"NO ANSWER\".";

// closedWithOk is false when the page was closed with Escape or the close box.
struct TextReply {
    bool closedWithOk = false;
    bool noAnswer = false;
    std::string answer;  // single-byte
};

struct RadioReply {
    bool closedWithOk = false;
    bool noAnswer = false;
    int selection = -1;  // 0 the first alternative, 1 the second, -1 none
};

struct ListReply {
    bool closedWithOk = false;
    bool noAnswer = false;
    int selection = -1;  // index of the selected choice, -1 none
};

// The message OK shows instead of closing, or nothing when the page may close: a
// typed answer needs two characters at least, a radio page a selected alternative,
// a list page a selected entry, unless "no answer" is checked.
std::optional<std::string> checkTextReply(std::string_view answer, bool noAnswer);
std::optional<std::string> checkRadioReply(int selection, bool noAnswer);
std::optional<std::string> checkListReply(int selection, bool noAnswer);
