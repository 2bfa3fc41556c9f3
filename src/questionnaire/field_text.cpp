#include "questionnaire/field_text.h"

#include "common/text_codec.h"
#include "instructions/instruction_pages.h"

namespace {

// The single-byte form without any length limit; nothing when a character has no
// single-byte form or is a "#".
std::optional<std::string> cleanSingleByte(std::string_view utf8)
{
    std::optional<std::string> bytes = utf8ToWindows1252(utf8);
    if (!bytes || bytes->find('#') != std::string::npos)
        return std::nullopt;
    return bytes;
}

std::string withCrLfBreaks(std::string_view boxText)
{
    std::string text;
    text.reserve(boxText.size());
    for (char c : boxText) {
        if (c == '\n')
            text += "\r\n";
        else
            text += c;
    }
    return text;
}

}  // namespace

std::optional<std::string> entryFromBox(std::string_view utf8, std::size_t capacity)
{
    std::optional<std::string> bytes = cleanSingleByte(utf8);
    if (!bytes || bytes->size() > capacity)
        return std::nullopt;
    return bytes;
}

std::optional<std::string> pageTextFromBox(std::string_view utf8)
{
    const std::optional<std::string> bytes = cleanSingleByte(utf8);
    if (!bytes)
        return std::nullopt;
    std::string text = withCrLfBreaks(*bytes);
    if (text.size() > pageTextCapacity)
        return std::nullopt;
    return text;
}

bool pageTextEditAllowed(std::string_view before, std::string_view after)
{
    if (pageTextFromBox(after))
        return true;
    const std::optional<std::string> clean = cleanSingleByte(after);
    const std::optional<std::string> old = utf8ToWindows1252(before);
    return clean && old && withCrLfBreaks(*clean).size() < withCrLfBreaks(*old).size();
}

std::string pageTextForBox(std::string_view pageText) { return windows1252ToUtf8(pageDisplayText(pageText)); }
