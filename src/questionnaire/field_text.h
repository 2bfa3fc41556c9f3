#pragma once
// What the editors' boxes may hold. Every stored field is single-byte text
// (Windows-1252) without "#", which ends a field in the files, of at most its
// capacity in single bytes. A multi-line box holds its line breaks as "\n"; a page
// text holds them as CR LF, so each counts as two characters.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The single-byte form of a box's UTF-8 text, or nothing when it holds a character
// without one, a "#", or more than capacity characters.
std::optional<std::string> entryFromBox(std::string_view utf8, std::size_t capacity);

// The page text (CR LF breaks) of a multi-line box's UTF-8 text (with "\n"
// breaks), or nothing when it holds a character without a single-byte form, a "#",
// or more than 999 characters with its breaks counted as two.
std::optional<std::string> pageTextFromBox(std::string_view utf8);

// Whether an edit that turns the box's text from before into after is kept: after
// must be a valid page text, or at least clean and shorter than before (a text
// that came over the limit can still be shortened).
bool pageTextEditAllowed(std::string_view before, std::string_view after);

// A page text as its box shows it: UTF-8, every CR LF, lone CR or LF one "\n".
std::string pageTextForBox(std::string_view pageText);
