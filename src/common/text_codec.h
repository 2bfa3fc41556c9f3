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
