#pragma once
// Windows-1252, the single-byte character set of every file the program reads and
// writes. Text is stored and counted as these bytes; it is decoded to UTF-8 only
// for display and encoded back where a person types it.

#include <optional>
#include <string>
#include <string_view>

// Every byte has a character: the five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode to the control characters of the same
// number, so that any file round-trips unchanged.
std::string windows1252ToUtf8(std::string_view bytes);

// The single-byte form of a UTF-8 text, or nothing when a character has no
// single-byte form (or the UTF-8 is malformed).
std::optional<std::string> utf8ToWindows1252(std::string_view utf8);

// What a box says when it refuses a character without a single-byte form.
inline constexpr const char* singleByteOnlyMessage =
    "Please use only characters of the Western European (Windows-1252) character set.";

// What a file's first bytes say of its encoding. Text editors that save UTF-8 or
// UTF-16 begin the file with a byte order mark (EF BB BF; FF FE or FE FF); a file
// without one is Windows-1252.
enum class ByteOrderMark { None, Utf8, Utf16 };
ByteOrderMark byteOrderMarkOf(std::string_view bytes);

// The first place where UTF-8 text could not be converted to Windows-1252.
struct Unconvertible {
    int line = 1;            // counted from 1 by the line feeds before it
    bool malformed = false;  // a byte that begins no well-formed UTF-8 character
    char32_t codePoint = 0;  // the character, or the malformed byte
    std::string bytes;       // as the text holds it
};

struct Windows1252Text {
    std::string text;                    // each unconvertible character or byte as "?"
    std::optional<Unconvertible> first;  // nothing when the whole text converted
    int unconvertible = 0;               // how many were replaced by "?"
};

// Converts UTF-8 to Windows-1252 as far as it goes: a character without a
// single-byte form, and each byte of malformed UTF-8, becomes one "?".
Windows1252Text convertUtf8(std::string_view utf8);
