#include "common/bounded_text.h"

bool containsWhiteSpace(std::string_view text)
{
    // The bytes a stream extraction treats as separators in the "C" locale.
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r')
            return true;
    }
    return false;
}
