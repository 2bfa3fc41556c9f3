#include "instructions/page_text.h"

#include <algorithm>

#include "common/text_codec.h"

namespace {

// The length of the UTF-8 sequence that starts with lead; 1 for a byte that cannot
// start one, which is then taken alone (and has no single-byte form).
std::size_t sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

// Calls take(character, singleByte) for each UTF-8 character in turn until take
// returns false; singleByte is empty for a character without a single-byte form.
template <typename Take>
void forEachCharacter(std::string_view utf8, Take take)
{
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t length = std::min(sequenceLength(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
        const std::string_view character = utf8.substr(i, length);
        i += length;
        const std::optional<std::string> single = utf8ToWindows1252(character);
        if (!take(character, single ? *single : std::string()))
            return;
    }
}

}  // namespace

std::string boxToPageText(std::string_view boxText)
{
    std::string page;
    page.reserve(boxText.size() + boxText.size() / 8);
    for (const char c : boxText) {
        if (c == '\n')
            page += "\r\n";
        else
            page += c;
    }
    return page;
}

std::string pageToBoxText(std::string_view pageText) { return pageDisplayText(pageText); }

std::size_t pageBytesOf(std::string_view boxText)
{
    std::size_t bytes = 0;
    for (const char c : boxText)
        bytes += c == '\n' ? 2 : 1;
    return bytes;
}

void storeBoxText(PageText& page, std::string_view boxText)
{
    if (pageToBoxText(page.view()) == boxText)
        return;
    std::string text = boxToPageText(boxText);
    // Cut where the page ends, but never between the CR and the LF of a line break.
    if (text.size() > pageTextCapacity) {
        const bool splitsLineBreak = text[pageTextCapacity - 1] == '\r' && text[pageTextCapacity] == '\n';
        text.resize(splitsLineBreak ? pageTextCapacity - 1 : pageTextCapacity);
    }
    page.assign(text);
}

std::string admitIntoPage(std::string_view utf8, std::size_t room)
{
    std::string admitted;
    forEachCharacter(utf8, [&](std::string_view character, const std::string& single) {
        if (single.size() != 1 || single == "#")
            return true;
        const std::size_t cost = pageBytesOf(single);
        if (cost > room)
            return false;
        room -= cost;
        admitted += character;
        return true;
    });
    return admitted;
}

std::string boxTextFromUtf8(std::string_view utf8)
{
    std::string box;
    forEachCharacter(utf8, [&](std::string_view, const std::string& single) {
        if (single.size() == 1 && single != "#")
            box += single;
        return true;
    });
    return box;
}
