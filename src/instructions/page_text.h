#pragma once
// The rules of the instruction editor's page text box. The box shows a page with
// "\n" line breaks; the page is held with CR LF, so a line break takes two of the
// page's 999 single-byte characters. "#" ends a page in the file and cannot be part
// of one, and every character must have a single-byte form.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "instructions/instruction_pages.h"

// Single-byte box text to the page text held in memory: each "\n" becomes CR LF.
std::string boxToPageText(std::string_view boxText);
// A page text as the box shows it: CR LF, a lone CR and a lone LF each become "\n".
std::string pageToBoxText(std::string_view pageText);

// The single-byte characters the box text takes as a page, a line break two.
std::size_t pageBytesOf(std::string_view boxText);

// Copies the box text into the page. A page the box still shows unchanged keeps its
// bytes, so a page read from a file with other line ends is saved as it was read. A
// text over the page's capacity keeps its first 999 bytes, less the CR of a line
// break the cut would split.
void storeBoxText(PageText& page, std::string_view boxText);

// Of a UTF-8 text typed or pasted into the box, the part the page takes, in UTF-8:
// "#" and characters without a single-byte form are left out, and the rest is taken
// up to the first character that no longer fits into room single-byte characters.
std::string admitIntoPage(std::string_view utf8, std::size_t room);

// The single-byte box text for a UTF-8 box text of admitted characters; a character
// that has no single-byte form, or "#", is left out.
std::string boxTextFromUtf8(std::string_view utf8);
