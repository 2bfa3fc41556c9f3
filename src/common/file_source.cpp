#include "common/file_source.h"

#include "common/file_existence.h"
#include "common/text_codec.h"
#include "platform/directory_listing.h"

namespace {

class DiskFiles final : public FileSource {
public:
    bool exists(const std::string& path) const override { return fileExists(path); }
    std::string absenceReason(const std::string& path) const override { return fileAbsenceReason(path); }
    ReadOutcome read(const std::string& path) const override { return readFileBytes(path); }
    ReadOutcome readUpTo(const std::string& path, std::size_t maxBytes) const override
    {
        return readFileBytes(path, maxBytes);
    }
    std::vector<std::string> namesIn(const std::string& directory) const override
    {
        return listDirectory(directory, {});
    }
};

// Characters shown by their code point alone: controls, format characters and
// invisible spaces, combining marks and private use.
bool showable(char32_t cp)
{
    const auto in = [cp](char32_t first, char32_t last) { return cp >= first && cp <= last; };
    return cp >= 0xA0 && !in(0x0300, 0x036F) && !in(0x2000, 0x200F) && !in(0x2028, 0x202F) && !in(0x2060, 0x206F) &&
           !in(0xE000, 0xF8FF) && cp != 0xFEFF && !in(0xFFF0, 0xFFFF) && cp < 0xF0000;
}

std::string hex(char32_t value, int digits)
{
    static constexpr char digitOf[] = "0123456789ABCDEF";
    std::string text;
    while (value != 0 || static_cast<int>(text.size()) < digits) {
        text.insert(text.begin(), digitOf[value % 16]);
        value /= 16;
    }
    return text;
}

std::string unconvertibleProblem(const Windows1252Text& converted)
{
    const Unconvertible& first = *converted.first;
    std::string what;
    std::string fix;
    if (first.malformed) {
        what = "the byte 0x" + hex(first.codePoint, 2) +
               " is not valid UTF-8, although the file starts with the UTF-8 byte order mark";
        fix = "save the file again as UTF-8 or as Windows-1252 (\"ANSI\") text";
    } else {
        what = "the character " + (showable(first.codePoint) ? "\"" + first.bytes + "\" " : std::string()) + "(U+" +
               hex(first.codePoint, 4) + ") has no Windows-1252 form";
        fix = std::string("save the file as Windows-1252 (\"ANSI\") text or replace ") +
              (converted.unconvertible > 1 ? "these characters" : "the character");
    }
    std::string more;
    if (converted.unconvertible > 1)
        more = converted.unconvertible == 2
                   ? std::string(" (and so was 1 more after it)")
                   : " (and so were " + std::to_string(converted.unconvertible - 1) + " more after it)";
    return "line " + std::to_string(first.line) + ": " + what + "; it was read as \"?\"" + more + "; " + fix;
}

}  // namespace

void TextReadOutcome::noteEncodingProblem(const std::string& prefix, Problems& problems) const
{
    if (encodingProblem.empty())
        return;
    if (encodingRefused)
        problems.clear();
    problems.insert(problems.begin(), prefix + encodingProblem);
}

TextReadOutcome FileSource::readText(const std::string& path) const
{
    TextReadOutcome outcome;
    static_cast<ReadOutcome&>(outcome) = read(path);
    if (!outcome.opened)
        return outcome;
    switch (byteOrderMarkOf(outcome.bytes)) {
    case ByteOrderMark::None:
        break;
    case ByteOrderMark::Utf16:
        outcome.bytes.clear();
        outcome.encodingRefused = true;
        outcome.encodingProblem = "the file is saved as UTF-16 text, which the program does not read; save it as "
                                  "UTF-8 or Windows-1252 (\"ANSI\") text";
        break;
    case ByteOrderMark::Utf8: {
        Windows1252Text converted = convertUtf8(std::string_view(outcome.bytes).substr(3));
        if (converted.first)
            outcome.encodingProblem = unconvertibleProblem(converted);
        outcome.bytes = std::move(converted.text);
        break;
    }
    }
    return outcome;
}

const FileSource& diskFiles()
{
    static const DiskFiles disk;
    return disk;
}

bool MemoryFiles::exists(const std::string& path) const { return files_.count(path) != 0; }

ReadOutcome MemoryFiles::read(const std::string& path) const { return readUpTo(path, maxReadBytes); }

ReadOutcome MemoryFiles::readUpTo(const std::string& path, std::size_t maxBytes) const
{
    ReadOutcome outcome;
    const auto found = files_.find(path);
    if (found == files_.end()) {
        outcome.error = "cannot read " + path + ": No such file or directory";
        return outcome;
    }
    outcome.opened = true;
    outcome.bytes = found->second.substr(0, maxBytes);
    outcome.truncated = found->second.size() > maxBytes;
    return outcome;
}

std::vector<std::string> MemoryFiles::namesIn(const std::string& directory) const
{
    std::vector<std::string> names;
    for (const auto& [path, bytes] : files_)
        if (directoryOf(path) == directory)
            names.push_back(fileNameOf(path));
    return names;
}
