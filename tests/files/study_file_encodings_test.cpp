// Every reader of a study file takes a file a text editor saved as UTF-8 (with its
// byte order mark) as the Windows-1252 file it stands for, names a character it
// cannot convert, and refuses a UTF-16 file.
#include <gtest/gtest.h>

#include <functional>

#include "common/text_codec.h"
#include "files/input_file.h"
#include "files/stimulus_lists.h"
#include "files/word_list.h"
#include "instructions/instruction_document.h"
#include "questionnaire/questionnaire_editing.h"
#include "questionnaire/questionnaire_file.h"

namespace {

// What a reader made of a file, its contents in a line.
struct Reading {
    bool opened = true;
    std::string error;
    std::string contents;
    Problems problems;
};

using ReadFile = std::function<Reading(const FileSource&, const std::string&)>;

struct Reader {
    const char* name;
    std::string path;
    std::string prefix;  // of its problems
    std::string bytes;   // Windows-1252, its first "\xFC" on line firstLine
    int firstLine;
    bool editor;  // refuses to open a UTF-16 file rather than reading it as empty
    ReadFile read;
};

const std::string inputBytes = "intro.bgi\t1\tgr\xFCn.wls\tb.wls\t0\t1\t1\t150\t10\t20\t1\t1\r\n";
const std::string listBytes = "2\r\n2\r\nGr\xFCn\r\nGras\r\nRot\r\n\x80uro\r\n";
const std::string questionnaireBytes = "Gr\xFCn#\r\nRot#\r\n1\r\n1\r\nIhr Wort f\xFCr \x84gr\xFCn\x93?#\r\n2\r\n";
const std::string instructionBytes = "1\r\nWillkommen \x96 gr\xFC\xDF Gott.#\r\n";

std::string questionnaireContents(const QuestionnaireDocument& d)
{
    return d.category1Label.str() + "|" + d.category2Label.str() + "|" + d.pages[0].text.str();
}

std::string instructionContents(const InstructionPages& pages)
{
    return std::to_string(pages.pageCount) + "|" + pages.pageTexts[0].str();
}

std::vector<Reader> readers()
{
    const auto list = [](const WordList& l) {
        return l.entriesA[0].str() + "|" + l.entriesA[1].str() + "|" + l.entriesB[0].str() + "|" + l.entriesB[1].str();
    };
    return {
        {"input file", "/s/s.inp", "input file s.inp: ", inputBytes, 1, false,
         [](const FileSource& files, const std::string& path) {
             const ExperimentDefinition d = readInputFile(path, files);
             return Reading{true, "", d.instructionFileName.str() + "|" + d.sessions[0].Cat1.str(), d.problems};
         }},
        {"word list", "/s/w.wls", "word list w.wls: ", listBytes, 3, false,
         [list](const FileSource& files, const std::string& path) {
             WordList l;
             readWordListFile(path, l, files);
             return Reading{true, "", list(l), l.problems};
         }},
        {"questionnaire labels", "/s/q.qls", "questionnaire q.qls: ", questionnaireBytes, 1, false,
         [list](const FileSource& files, const std::string& path) {
             WordList l;
             readQuestionnaireLabels(path, l, files);
             return Reading{true, "", list(l), l.problems};
         }},
        {"questionnaire file", "/s/q.qls", "questionnaire q.qls: ", questionnaireBytes, 1, false,
         [](const FileSource& files, const std::string& path) {
             const QuestionnaireDocument d = readQuestionnaireFile(path, files);
             return Reading{true, "", questionnaireContents(d), d.problems};
         }},
        {"questionnaire editor", "/s/q.qls", "questionnaire q.qls: ", questionnaireBytes, 1, true,
         [](const FileSource& files, const std::string& path) {
             const OpenedQuestionnaire o = readQuestionnaireForEditing(path, files);
             return Reading{o.opened, o.error, questionnaireContents(o.document), o.document.problems};
         }},
        {"stimulus list editor", "/s/w.wls", "word list w.wls: ", listBytes, 3, true,
         [](const FileSource& files, const std::string& path) {
             StimulusListDocument document;
             const StimulusListDocument::OpenOutcome o = document.open(path, files);
             const auto& [a, b] = document.boxes().categories;
             return Reading{o.opened, o.error, a.label + "|" + a.items[0] + "|" + b.label + "|" + b.items[0],
                            o.problems};
         }},
        {"instruction file", "/s/i.bgi", "instruction file i.bgi: ", instructionBytes, 2, false,
         [](const FileSource& files, const std::string& path) {
             const InstructionPages pages = readInstructionFile(path, files);
             return Reading{true, "", instructionContents(pages), pages.problems};
         }},
        {"instruction editor", "/s/i.bgi", "instruction file i.bgi: ", instructionBytes, 2, true,
         [](const FileSource& files, const std::string& path) {
             const OpenedInstructions o = openInstructionFile(path, files);
             return Reading{o.opened, o.error, instructionContents(o.pages), o.pages.problems};
         }},
        {"instruction run", "/s/i.bgi", "instruction file i.bgi: ", instructionBytes, 2, false,
         [](const FileSource& files, const std::string& path) {
             InstructionFileRun run = InstructionFileRun::open(path, files);
             std::string contents, page;
             while (run.nextPage(page))
                 contents += page + "|";
             return Reading{true, "", contents, run.problems()};
         }},
    };
}

Reading readBytes(const Reader& reader, const std::string& bytes)
{
    MemoryFiles files;
    files.add(reader.path, bytes);
    return reader.read(files, reader.path);
}

}  // namespace

TEST(StudyFileEncodings, EveryReaderTakesUtf8AsItsWindows1252TwinAndRefusesUtf16)
{
    const std::string mark = "\xEF\xBB\xBF";
    const std::string utf16 = "the file is saved as UTF-16 text, which the program does not read; save it as UTF-8 or "
                              "Windows-1252 (\"ANSI\") text";
    for (const Reader& reader : readers()) {
        SCOPED_TRACE(reader.name);
        const Reading plain = readBytes(reader, reader.bytes);
        ASSERT_TRUE(plain.opened && plain.problems.empty()) << plain.contents;

        const std::string utf8 = windows1252ToUtf8(reader.bytes);
        const Reading twin = readBytes(reader, mark + utf8);
        EXPECT_TRUE(twin.opened);
        EXPECT_EQ(twin.contents, plain.contents);
        EXPECT_TRUE(twin.problems.empty());

        // A snowman in place of the first "\xFC" reads as "?" and is named.
        std::string snowman = utf8;
        snowman.replace(snowman.find("\u00FC"), 2, "\u2603");
        std::string withQuestionMark = reader.bytes;
        withQuestionMark[withQuestionMark.find('\xFC')] = '?';
        const Reading unconvertible = readBytes(reader, mark + snowman);
        EXPECT_TRUE(unconvertible.opened);
        EXPECT_EQ(unconvertible.contents, readBytes(reader, withQuestionMark).contents);
        EXPECT_EQ(unconvertible.problems,
                  Problems{reader.prefix + "line " + std::to_string(reader.firstLine) +
                           ": the character \"\u2603\" (U+2603) has no Windows-1252 form; it was read as \"?\"; save "
                           "the file as Windows-1252 (\"ANSI\") text or replace the character"});

        // UTF-16: the run's readers record it as the file's only problem; the editors
        // do not open the file.
        std::string wide = "\xFF\xFE";
        for (const char c : reader.bytes)
            wide += std::string{c, '\0'};
        const Reading refused = readBytes(reader, wide);
        if (reader.editor) {
            EXPECT_FALSE(refused.opened);
            EXPECT_EQ(refused.error, "cannot read " + reader.path + ": " + utf16);
        } else {
            EXPECT_EQ(refused.contents, readBytes(reader, "").contents);
            EXPECT_EQ(refused.problems, Problems{reader.prefix + utf16});
        }
    }
}
