#pragma once
// What the editors' one-line boxes may hold. Every stored field is single-byte text
// (Windows-1252) without "#", which ends a field in the files, of at most its
// capacity in single bytes. (The page text box has rules of its own: page_text.h.)

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The single-byte form of a box's UTF-8 text, or nothing when it holds a character
// without one, a "#", or more than capacity characters.
std::optional<std::string> entryFromBox(std::string_view utf8, std::size_t capacity);
