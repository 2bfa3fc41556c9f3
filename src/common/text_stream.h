#pragma once
// The text stream of the stored formats. On disk every line end is CR LF whatever
// the platform; in memory a line end is "\n". Writing turns each "\n" into CR LF and
// passes a lone CR through, so a line break held in memory as CR LF inside a page
// text reaches the disk as CR CR LF; reading turns each CR LF back into "\n".

#include <cstdint>
#include <string>
#include <string_view>

// Disk bytes to memory text: CR LF becomes "\n"; every other byte is kept.
std::string diskToMemoryText(std::string_view disk);
// Memory text to disk bytes: "\n" becomes CR LF; every other byte is kept.
std::string memoryToDiskText(std::string_view memory);

// Reads tokens, integers and delimited fields from memory text, the way a C++
// input stream extracts them: once an extraction fails, every later one fails too.
class TextReader {
public:
    explicit TextReader(std::string text);

    // One token: skips white space, then takes the bytes up to the next white space.
    bool readToken(std::string& token);

    // One decimal integer: skips white space, takes an optional sign and digits.
    // Fails on a non-numeric token or a value outside the range of int, leaving the
    // position at the offending byte.
    bool readInt(int& value);

    // The bytes up to the next delim, which is consumed and dropped. Fails only when
    // the text has ended before any byte could be read. When the text ends before
    // delim, what was read is returned and the reader is at its end.
    bool readUntil(char delim, std::string& field);
    // The same, and tells whether delim ended the field (false: the text ended).
    bool readUntil(char delim, std::string& field, bool& delimiterFound);

    // Consumes a line end with at most one byte before it: at most two bytes,
    // stopping after a "\n".
    void consumeLineEnd();

    // Consumes one byte, whatever it is; false at the end.
    bool skipByte();

    bool failed() const { return failed_; }
    bool atEnd() const { return pos_ >= text_.size(); }
    // True when only white space remains.
    bool onlyWhiteSpaceLeft() const;
    // The next token without consuming it, also after a failed extraction (where it
    // is the offending text); for messages.
    std::string peekToken() const;
    // The line of the next byte to be read, counted from 1 by the line feeds before
    // it; after readToken, the line of the token read.
    int line() const;

private:
    void skipWhiteSpace();

    std::string text_;
    std::size_t pos_ = 0;
    bool failed_ = false;
    // The line feeds counted so far, up to lineCounted_ (the position only grows).
    mutable std::size_t lineCounted_ = 0;
    mutable int line_ = 1;
};

// Appends to memory text; bytes() gives the disk form with CR LF line ends.
class TextWriter {
public:
    TextWriter& operator<<(std::string_view text);
    TextWriter& operator<<(char c);
    TextWriter& operator<<(int value);
    std::string bytes() const { return memoryToDiskText(text_); }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};
