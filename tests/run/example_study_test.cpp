// The example study reads without a single problem with the program's own readers,
// and every file it names is where the run will look for it.
#include <gtest/gtest.h>

#include "common/file_existence.h"
#include "files/input_file.h"
#include "files/list_catalogue.h"
#include "instructions/instruction_pages.h"
#include "questionnaire/questionnaire_file.h"

namespace {
const std::string demo = std::string(TRUV_EXAMPLES_DIR) + "/demo";
}

TEST(ExampleStudy, EveryFileReadsCleanlyAndTheQuestionnaireIsUsable)
{
    for (const char* input : {"demo-one-session.inp", "demo-two-sessions.inp"}) {
        const ExperimentDefinition d = readInputFile(demo + "/" + input);
        EXPECT_TRUE(d.problems.empty()) << input << ": " << d.problems.front();
        EXPECT_GE(d.sessionCount, 1) << input;
        EXPECT_TRUE(fileExists(demo + "/" + d.instructionFileName.str())) << input;

        ListCatalog catalog;
        for (int s = 0; s < d.sessionCount; ++s) {
            catalog.requestedNames[2 * s] = d.sessions[s].Cat1;
            catalog.requestedNames[2 * s + 1] = d.sessions[s].Cat2;
        }
        catalog.loadForExperiment(d.sessionCount, demo);
        EXPECT_EQ(catalog.errorCode, 0) << catalog.missingPath;
        for (int i = 0; i < catalog.fileCount; ++i) {
            const WordList& list = catalog.files[i];
            EXPECT_TRUE(list.problems.empty()) << list.fileName.str() << ": " << list.problems.front();
            if (!list.isQuestionnaire) {
                EXPECT_GE(list.entryCountA, 7) << list.fileName.str();  // enough words to review
                EXPECT_GE(list.entryCountB, 7) << list.fileName.str();
            }
        }
    }
    const InstructionPages pages = readInstructionFile(demo + "/intro.bgi");
    EXPECT_TRUE(pages.problems.empty());
    EXPECT_EQ(pages.pageCount, 2);
    EXPECT_NE(pages.pageTexts[0].str().find("part.\r\n\r\nIn this study"), std::string::npos);

    const QuestionnaireDocument q = readQuestionnaireFile(demo + "/own-words.qls");
    EXPECT_TRUE(q.problems.empty()) << q.problems.front();
    EXPECT_TRUE(isUsable(q));
}
