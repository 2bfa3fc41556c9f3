#include "common/field_checks.h"

#include <charconv>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Optional blanks, an optional sign, digits, optional blanks; the value must fit
// in an int.
bool parseInteger(std::string_view text, int& value)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    std::string_view number = text.substr(begin, end - begin);
    // from_chars takes a minus sign but not a plus sign.
    const bool plus = !number.empty() && number.front() == '+';
    if (plus)
        number.remove_prefix(1);
    if (number.empty() || (plus && number.front() == '-'))
        return false;
    int parsed = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), parsed);
    if (result.ec != std::errc() || result.ptr != number.data() + number.size())
        return false;
    value = parsed;
    return true;
}

}  // namespace

std::optional<std::string> checkIntegerField(std::string_view text, int& value)
{
    if (!parseInteger(text, value))
        return std::string("Please enter an integer.");
    return std::nullopt;
}

std::optional<std::string> checkIntegerField(std::string_view text, int minimum, int maximum, int& value)
{
    int parsed = 0;
    if (!parseInteger(text, parsed))
        return std::string("Please enter an integer.");
    if (parsed < minimum || parsed > maximum)
        return "Please enter an integer between " + std::to_string(minimum) + " and " + std::to_string(maximum) + ".";
    value = parsed;
    return std::nullopt;
}

std::optional<std::string> checkTextLength(std::string_view text, std::size_t maxChars)
{
    if (text.size() > maxChars)
        return "Please enter no more than " + std::to_string(maxChars) + " characters.";
    return std::nullopt;
}
