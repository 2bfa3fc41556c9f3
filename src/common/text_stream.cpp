#include "common/text_stream.h"

#include <charconv>

namespace {

bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string diskToMemoryText(std::string_view disk)
{
    std::string memory;
    memory.reserve(disk.size());
    for (std::size_t i = 0; i < disk.size(); ++i) {
        // Only the CR directly before an LF belongs to the line end, so CR CR LF
        // keeps its first CR.
        if (disk[i] == '\r' && i + 1 < disk.size() && disk[i + 1] == '\n')
            continue;
        memory += disk[i];
    }
    return memory;
}

std::string memoryToDiskText(std::string_view memory)
{
    std::string disk;
    disk.reserve(memory.size() + memory.size() / 16);
    for (const char c : memory) {
        if (c == '\n')
            disk += '\r';
        disk += c;
    }
    return disk;
}

TextReader::TextReader(std::string text) : text_(std::move(text)) {}

void TextReader::skipWhiteSpace()
{
    while (pos_ < text_.size() && isWhiteSpace(text_[pos_]))
        ++pos_;
}

bool TextReader::onlyWhiteSpaceLeft() const
{
    for (std::size_t i = pos_; i < text_.size(); ++i) {
        if (!isWhiteSpace(text_[i]))
            return false;
    }
    return true;
}

std::string TextReader::peekToken() const
{
    std::size_t start = pos_;
    while (start < text_.size() && isWhiteSpace(text_[start]))
        ++start;
    std::size_t end = start;
    while (end < text_.size() && !isWhiteSpace(text_[end]))
        ++end;
    return text_.substr(start, end - start);
}

int TextReader::line() const
{
    for (; lineCounted_ < pos_ && lineCounted_ < text_.size(); ++lineCounted_)
        if (text_[lineCounted_] == '\n')
            ++line_;
    return line_;
}

bool TextReader::readToken(std::string& token)
{
    if (failed_)
        return false;
    skipWhiteSpace();
    if (atEnd()) {
        failed_ = true;
        return false;
    }
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !isWhiteSpace(text_[pos_]))
        ++pos_;
    token.assign(text_, start, pos_ - start);
    return true;
}

bool TextReader::readInt(int& value)
{
    if (failed_)
        return false;
    skipWhiteSpace();
    std::size_t pos = pos_;
    bool negative = false;
    if (pos < text_.size() && (text_[pos] == '+' || text_[pos] == '-')) {
        negative = text_[pos] == '-';
        ++pos;
    }
    const std::size_t digitsStart = pos;
    while (pos < text_.size() && isDigit(text_[pos]))
        ++pos;
    // On failure nothing of the token is consumed: the position stays at its first byte.
    if (pos == digitsStart) {
        failed_ = true;
        return false;
    }
    // from_chars takes a minus sign (so the most negative int is accepted) but not a plus.
    const char* first = text_.data() + (negative ? digitsStart - 1 : digitsStart);
    const char* last = text_.data() + pos;
    int parsed = 0;
    const auto result = std::from_chars(first, last, parsed);
    if (result.ec != std::errc() || result.ptr != last) {
        failed_ = true;
        return false;
    }
    pos_ = pos;
    value = parsed;
    return true;
}

bool TextReader::readUntil(char delim, std::string& field)
{
    bool found = false;
    return readUntil(delim, field, found);
}

void TextReader::consumeLineEnd()
{
    for (int i = 0; i < 2 && !failed_ && !atEnd(); ++i) {
        if (text_[pos_++] == '\n')
            return;
    }
}

bool TextReader::readUntil(char delim, std::string& field, bool& delimiterFound)
{
    delimiterFound = false;
    if (failed_)
        return false;
    if (atEnd()) {
        failed_ = true;
        return false;
    }
    const std::size_t end = text_.find(delim, pos_);
    if (end == std::string::npos) {
        field.assign(text_, pos_, std::string::npos);
        pos_ = text_.size();
    } else {
        field.assign(text_, pos_, end - pos_);
        pos_ = end + 1;
        delimiterFound = true;
    }
    return true;
}

bool TextReader::skipByte()
{
    if (failed_ || atEnd())
        return false;
    ++pos_;
    return true;
}

TextWriter& TextWriter::operator<<(std::string_view text)
{
    text_.append(text);
    return *this;
}

TextWriter& TextWriter::operator<<(char c)
{
    text_ += c;
    return *this;
}

TextWriter& TextWriter::operator<<(int value)
{
    text_ += std::to_string(value);
    return *this;
}
