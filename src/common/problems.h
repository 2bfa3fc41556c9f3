#pragma once
// Problems a reader found in a file: whatever it had to cut or clamp, and values a
// run could not use. Each is a sentence a person can read, naming the file.

#include <string>
#include <vector>

using Problems = std::vector<std::string>;

// Lines joined with "\n" between them, as problems are shown one a line.
inline std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty())
            text += '\n';
        text += line;
    }
    return text;
}
