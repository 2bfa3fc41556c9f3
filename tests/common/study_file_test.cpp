#include <gtest/gtest.h>

#include <tuple>

#include "common/study_file.h"

// What the reading found stands ahead of the parser's problems, the encoding problem
// first; an editor does not open a file whose encoding it cannot read.
TEST(StudyFile, ReadingNotesTheEncodingProblemThenTheCutAheadOfTheParser)
{
    const std::string big(maxReadBytes, 'x');
    const std::string utf16 = "\xFF\xFE" + big;
    const std::string cut = "list w.wls: the file is larger than 4194304 bytes; only its start was read";
    // bytes, read for editing, the problems after the parser's "p" ("E": the encoding
    // problem; "!": the error of a file not opened)
    const std::tuple<std::string, bool, Problems> cases[] = {
        {big + "x", false, {cut, "p"}},
        {"\xEF\xBB\xBF\xE9" + big, true, {"E", cut, "p"}},
        {utf16, false, {"E"}},
        {utf16, true, {"!"}},
    };
    for (const auto& [bytes, forEditing, expected] : cases) {
        MemoryFiles files;
        files.add("/s/w.wls", bytes);
        const std::string encoding = files.readText("/s/w.wls").encodingProblem;
        const StudyFileText file = forEditing ? readStudyFileForEditing("/s/w.wls", "list", files)
                                              : readStudyFile("/s/w.wls", "list", files);
        Problems noted{"p"};
        if (file.opened)
            file.noteProblems(noted);
        else
            noted = {file.error};
        Problems wanted = expected;
        for (std::string& problem : wanted) {
            if (problem == "E")
                problem = "list w.wls: " + encoding;
            else if (problem == "!")
                problem = "cannot read /s/w.wls: " + encoding;
        }
        EXPECT_EQ(noted, wanted) << bytes.substr(0, 4);
    }
}

TEST(StudyFile, QuotedShowsAtMostTwentyCharacters)
{
    EXPECT_EQ(quoted("12345678901234567890"), "\"12345678901234567890\"");
    EXPECT_EQ(quoted("123456789012345678901"), "\"12345678901234567890...\"");
}
