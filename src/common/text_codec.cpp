#include "common/text_codec.h"

#include <array>
#include <cstdint>

namespace {

// Code points of the bytes 0x80 to 0x9F. The five bytes Windows-1252 leaves
// undefined map to the C1 control character of the same number.
constexpr std::array<char32_t, 32> highControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t codePointOf(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return highControlRange[byte - 0x80];
    return byte;  // ASCII and Latin-1 (0xA0 to 0xFF) coincide with Unicode
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        // Every character of the table lies in the Basic Multilingual Plane.
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at pos and advances pos; false on malformed input
// (stray continuation bytes, truncated or overlong sequences, surrogates, values
// beyond U+10FFFF).
bool decodeUtf8(std::string_view text, std::size_t& pos, char32_t& cp)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    int length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        cp = lead;
        ++pos;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        cp = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        cp = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        cp = lead & 0x07;
        minimum = 0x10000;
    } else {
        return false;
    }
    if (text.size() - pos < static_cast<std::size_t>(length))
        return false;
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    pos += length;
    return true;
}

std::optional<unsigned char> byteOf(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<unsigned char>(cp);
    for (std::size_t i = 0; i < highControlRange.size(); ++i) {
        if (highControlRange[i] == cp)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

}  // namespace

std::string windows1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes)
        appendUtf8(out, codePointOf(static_cast<unsigned char>(c)));
    return out;
}

std::optional<std::string> utf8ToWindows1252(std::string_view utf8)
{
    Windows1252Text converted = convertUtf8(utf8);
    if (converted.first)
        return std::nullopt;
    return std::move(converted.text);
}

ByteOrderMark byteOrderMarkOf(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return ByteOrderMark::Utf8;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return ByteOrderMark::Utf16;
    return ByteOrderMark::None;
}

Windows1252Text convertUtf8(std::string_view utf8)
{
    Windows1252Text out;
    out.text.reserve(utf8.size());
    int line = 1;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        char32_t cp = 0;
        const bool wellFormed = decodeUtf8(utf8, pos, cp);
        const auto byte = wellFormed ? byteOf(cp) : std::nullopt;
        if (byte) {
            out.text += static_cast<char>(*byte);
            if (*byte == '\n')
                ++line;
            continue;
        }
        // A malformed sequence is replaced one byte at a time, so that the
        // characters after it are read again from their own first byte.
        if (!wellFormed) {
            pos = start + 1;
            cp = static_cast<unsigned char>(utf8[start]);
        }
        out.text += '?';
        if (out.unconvertible++ == 0)
            out.first = Unconvertible{line, !wellFormed, cp, std::string(utf8.substr(start, pos - start))};
    }
    return out;
}
