#include "questionnaire/field_text.h"

#include "common/text_codec.h"

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

}  // namespace

std::optional<std::string> entryFromBox(std::string_view utf8, std::size_t capacity)
{
    std::optional<std::string> bytes = cleanSingleByte(utf8);
    if (!bytes || bytes->size() > capacity)
        return std::nullopt;
    return bytes;
}
