#include <gtest/gtest.h>

#include "common/file_source.h"

// The readers' own tests cover a character named alone and UTF-16; here the
// remaining forms of the problem, and files read as they are.
TEST(FileSourceText, ByteOrderMarksDecideHowAFileIsRead)
{
    const std::pair<std::string, std::string> cases[] = {
        // bytes, text
        {"caf\xE9\r\n\xEF\xBB\xBF", "caf\xE9\r\n\xEF\xBB\xBF"},
        {"\xEF\xBB\xBF", ""},
        {"\xEF\xBB\xBF"
         "caf\u00E9 \u20AC\r\n",
         "caf\xE9 \x80\r\n"},
    };
    for (const auto& [bytes, text] : cases) {
        MemoryFiles files;
        files.add("/s/f", bytes);
        const TextReadOutcome read = files.readText("/s/f");
        EXPECT_EQ(read.bytes, text);
        EXPECT_EQ(read.encodingProblem, "");
    }

    const std::pair<std::string, std::string> problems[] = {
        {"\xEF\xBB\xBF\u0100\r\n\U0001F600",
         "line 1: the character \"\u0100\" (U+0100) has no Windows-1252 form; it was read as \"?\" (and so was 1 more "
         "after it); save the file as Windows-1252 (\"ANSI\") text or replace these characters"},
        {"\xEF\xBB\xBF"
         "a\r\n\u200B\u200B\u200B",
         "line 2: the character (U+200B) has no Windows-1252 form; it was read as \"?\" (and so were 2 more after "
         "it); save the file as Windows-1252 (\"ANSI\") text or replace these characters"},
        {"\xEF\xBB\xBF"
         "caf\xE9\r\n",
         "line 1: the byte 0xE9 is not valid UTF-8, although the file starts with the UTF-8 byte order mark; it was "
         "read as \"?\"; save the file again as UTF-8 or as Windows-1252 (\"ANSI\") text"},
    };
    for (const auto& [bytes, problem] : problems) {
        MemoryFiles files;
        files.add("/s/f", bytes);
        EXPECT_EQ(files.readText("/s/f").encodingProblem, problem);
    }
}
