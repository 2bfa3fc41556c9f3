#pragma once
// The checks a dialog applies to its fields when it is confirmed, with the standard
// messages. Each returns the message to show, or nothing when the field is valid.

#include <optional>
#include <string>
#include <string_view>

// An integer field: optional blanks, an optional sign and digits, optional blanks.
std::optional<std::string> checkIntegerField(std::string_view text, int& value);
// The same, and within [minimum, maximum].
std::optional<std::string> checkIntegerField(std::string_view text, int minimum, int maximum, int& value);
// A text field of at most maxChars single-byte characters.
std::optional<std::string> checkTextLength(std::string_view text, std::size_t maxChars);
