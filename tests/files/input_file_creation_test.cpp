// The rules of "Create New Input File", without a display.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/temp_directory.h"
#include "files/input_file_creation.h"

namespace {

WordList pairList(const std::string& labelA, const std::string& labelB)
{
    WordList list;
    list.entriesA[0].assign(labelA);
    list.entriesA[1].assign("one");
    list.entriesB[0].assign(labelB);
    list.entriesB[1].assign("two");
    list.entryCountA = 2;
    list.entryCountB = 2;
    return list;
}

// A catalogue held in memory: files named name0.wls, name1.wls, ... with the labels.
ListCatalog catalogOf(const std::vector<std::pair<std::string, std::string>>& labels)
{
    ListCatalog catalog;
    for (const auto& [a, b] : labels) {
        WordList& list = catalog.files[catalog.fileCount];
        list = pairList(a, b);
        list.fileName.assign("list" + std::to_string(catalog.fileCount) + ".wls");
        ++catalog.fileCount;
    }
    return catalog;
}

const ListCatalog twoFiles = catalogOf({{"Fruit", "Tools"}, {"Summer", "Winter"}});

}  // namespace

TEST(InputFileCreation, InstructionPathPresetAndName)
{
    EXPECT_EQ(instructionPathPreset("/home/lab/study/new.inp"), "/home/lab/study/");
    EXPECT_EQ(instructionPathPreset("/new.inp"), "/");
    EXPECT_EQ(instructionPathPreset("new.inp"), "/");

    EXPECT_EQ(instructionFileNameOf("/home/lab/intro.bgi"), "intro.bgi");
    EXPECT_EQ(instructionFileNameOf("intro.bgi"), "intro.bgi");
    EXPECT_EQ(instructionFileNameOf("/home/lab/"), "");
}

TEST(InputFileCreation, OnlyALowerCaseBgiExtensionPasses)
{
    EXPECT_EQ(instructionPathRefusal("/lab/intro.bgi"), std::nullopt);
    EXPECT_EQ(instructionPathRefusal("intro.bgi"), std::nullopt);
    EXPECT_EQ(instructionPathRefusal("/my lab/v1.2/intro.bgi"), std::nullopt);
    for (const char* path : {"/lab/intro.BGI", "/lab/intro.txt", "/lab/intro", "/lab.bgi/intro", "/lab/intro.bgi.txt",
                             "/lab/intro.bgi ", "/lab/", ""})
        EXPECT_EQ(instructionPathRefusal(path), "Error:  Need to specify an instruction file (*.bgi)") << path;
}

TEST(InputFileCreation, TheInstructionFileNameMustFitTheInputFile)
{
    const std::string directory = "/a/directory/that/is/long/enough/to/pass/forty/characters/";
    const std::string forty = std::string(36, 'n') + ".bgi";
    EXPECT_EQ(instructionPathRefusal(directory + forty), std::nullopt);
    const auto refusal = instructionPathRefusal(directory + "n" + forty);
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find("at most 40 characters"), std::string::npos) << *refusal;
    EXPECT_TRUE(instructionPathRefusal("/lab/my intro.bgi"));
}

TEST(InputFileCreation, FieldChecksOfTheInputFileDialog)
{
    int count = 0;
    EXPECT_EQ(checkInputFileFields("/lab/intro.bgi", " 9 ", count), std::nullopt);
    EXPECT_EQ(count, 9);
    EXPECT_EQ(checkInputFileFields("/lab/intro.bgi", "1", count), std::nullopt);
    EXPECT_EQ(count, 1);
    for (const char* text : {"0", "10", "-1"})
        EXPECT_EQ(checkInputFileFields("/lab/intro.bgi", text, count), "Please enter an integer between 1 and 9.");
    EXPECT_EQ(checkInputFileFields("/lab/intro.bgi", "two", count), "Please enter an integer.");
    EXPECT_EQ(checkInputFileFields("", "", count), "Please enter an integer.");
    EXPECT_EQ(checkInputFileFields(std::string(255, 'p'), "1", count), std::nullopt);
    EXPECT_EQ(checkInputFileFields(std::string(256, 'p'), "1", count), "Please enter no more than 255 characters.");
}

TEST(InputFileCreation, TheDefinitionStartsAtItsDefaultsAndTakesTheEntries)
{
    ExperimentDefinition definition = newExperimentDefinition();
    EXPECT_EQ(definition.tutorialIncluded, 1);
    EXPECT_EQ(definition.editListsIncluded, 1);
    for (const SessionSettings& s : definition.sessions) {
        EXPECT_TRUE(s.Cat1.empty());
        EXPECT_TRUE(s.Cat2.empty());
        EXPECT_EQ(s.Cat1p + s.Cat2p + s.Delay, 0);
        EXPECT_EQ(s.Catsw, 1);
        EXPECT_EQ(s.nPrac, 20);
        EXPECT_EQ(s.nReal, 40);
    }

    applyExperimentEntries({"/somewhere/else/intro.bgi", 3, false, true}, definition);
    EXPECT_EQ(definition.instructionFileName, "intro.bgi");
    EXPECT_EQ(definition.sessionCount, 3);
    EXPECT_EQ(definition.tutorialIncluded, 0);
    EXPECT_EQ(definition.editListsIncluded, 1);
}

TEST(InputFileCreation, EachFileGivesTwoLinesInCatalogueOrder)
{
    const ListCatalog catalog = catalogOf({{"Fruit", "Tools"}, {"Summer", "Winter"}, {"Mine", "Theirs"}});
    EXPECT_EQ(categoryPairLines(catalog), (std::vector<std::string>{"Fruit-Tools", "Tools-Fruit", "Summer-Winter",
                                                                    "Winter-Summer", "Mine-Theirs", "Theirs-Mine"}));
    EXPECT_TRUE(categoryPairLines(ListCatalog{}).empty());

    // Line 2k: file k in file order; line 2k + 1: the same file reversed.
    EXPECT_EQ(choiceAt(0).fileIndex, 0);
    EXPECT_EQ(choiceAt(0).order, 0);
    EXPECT_EQ(choiceAt(3).fileIndex, 1);
    EXPECT_EQ(choiceAt(3).order, 1);
    EXPECT_EQ(choiceAt(4).fileIndex, 2);
    EXPECT_EQ(choiceAt(4).order, 0);
}

TEST(InputFileCreation, LinesFromAFilledCatalogue)
{
    TempDirectory dir;
    ASSERT_TRUE(writeWordListFile(pairList("Fruit", "Tools"), dir.file("pairs.wls")));
    dir.write("own.qls", "Mine#\r\nTheirs#\r\n0\r\n");
    dir.write("with blank.wls", "2\r\n1\r\nA\r\nx\r\nB\r\n");
    ListCatalog catalog;
    catalog.fillFromDirectory(dir.path());
    // Word lists first, then questionnaires; a name with a blank is left out.
    EXPECT_EQ(categoryPairLines(catalog),
              (std::vector<std::string>{"Fruit-Tools", "Tools-Fruit", "Mine-Theirs", "Theirs-Mine"}));
}

TEST(InputFileCreation, SelectionsWithoutAChoiceAndAtTheFirstShowing)
{
    EXPECT_EQ(chosenPosition(noSelection, 1), 1);
    EXPECT_EQ(chosenPosition(noSelection, 2), 2);
    EXPECT_EQ(chosenPosition(0, 1), 0);
    EXPECT_EQ(chosenPosition(5, 2), 5);

    EXPECT_EQ(initialPosition(1, 4), 1);
    EXPECT_EQ(initialPosition(2, 4), 2);
    EXPECT_EQ(initialPosition(2, 2), noSelection);
    EXPECT_EQ(initialPosition(1, 0), noSelection);
}

TEST(InputFileCreation, AnEarlierChoiceIsFoundAgainByItsText)
{
    const std::vector<std::string> lines{"Fruit-Tools", "Tools-Fruit", "Fruit-Tools", "Tools-Fruit"};
    EXPECT_EQ(findLineAgain(lines, 2, "Fruit-Tools"), 2);  // the same place when it still holds the text
    EXPECT_EQ(findLineAgain(lines, 1, "Fruit-Tools"), 0);  // else the first line with the text
    EXPECT_EQ(findLineAgain(lines, 9, "Tools-Fruit"), 1);
    EXPECT_EQ(findLineAgain(lines, 0, "Summer-Winter"), noSelection);
    EXPECT_EQ(findLineAgain(lines, noSelection, ""), noSelection);
}

TEST(InputFileCreation, TwoPairsFromOneFileAreRefusedWhateverTheirOrders)
{
    SessionSettings session;
    session.Delay = 7;
    for (const auto& [p1, p2] : {std::pair{0, 1}, {1, 0}, {0, 0}, {3, 2}}) {
        SessionEntries e;
        e.position1 = p1;
        e.position2 = p2;
        EXPECT_EQ(applySessionEntries(twoFiles, e, session),
                  "ERROR:  Do not select the same category pair for category pair 1 and category pair 2");
    }
    SessionEntries pair2Default;  // pair 2 without a selection is line 2: file 1
    pair2Default.position1 = 3;
    EXPECT_TRUE(applySessionEntries(twoFiles, pair2Default, session));
    EXPECT_TRUE(session.Cat1.empty());
    EXPECT_EQ(session.Delay, 7);
}

TEST(InputFileCreation, ASessionTakesItsLinesSwitchAndNumbers)
{
    SessionSettings session;
    SessionEntries e;
    e.position1 = 3;  // Winter-Summer
    e.position2 = 0;  // Fruit-Tools
    e.switchChoice = 0;
    e.delay = 0;
    e.nPrac = 100;
    e.nReal = 0;
    ASSERT_EQ(applySessionEntries(twoFiles, e, session), std::nullopt);
    EXPECT_EQ(session.Cat1, "list1.wls");
    EXPECT_EQ(session.Cat1p, 1);
    EXPECT_EQ(session.Cat2, "list0.wls");
    EXPECT_EQ(session.Cat2p, 0);
    EXPECT_EQ(session.Catsw, 0);
    EXPECT_EQ(session.Delay, 0);
    EXPECT_EQ(session.nPrac, 100);
    EXPECT_EQ(session.nReal, 0);

    // No selections and no switch choice: lines 1 and 2, and Catsw as it was.
    SessionSettings fresh;
    ASSERT_EQ(applySessionEntries(twoFiles, SessionEntries{}, fresh), std::nullopt);
    EXPECT_EQ(fresh.Cat1, "list0.wls");
    EXPECT_EQ(fresh.Cat1p, 1);
    EXPECT_EQ(fresh.Cat2, "list1.wls");
    EXPECT_EQ(fresh.Cat2p, 0);
    EXPECT_EQ(fresh.Catsw, 1);
    EXPECT_EQ(fresh.Delay, 150);
    EXPECT_EQ(fresh.nPrac, 20);
    EXPECT_EQ(fresh.nReal, 40);
}

TEST(InputFileCreation, FewerThanTwoListFilesCannotMakeASession)
{
    const ListCatalog one = catalogOf({{"Fruit", "Tools"}});
    EXPECT_EQ(listFilesRefusal(one), std::string(tooFewListFilesMessage));
    EXPECT_EQ(listFilesRefusal(ListCatalog{}), std::string(tooFewListFilesMessage));
    EXPECT_EQ(listFilesRefusal(twoFiles), std::nullopt);

    SessionSettings session;
    SessionEntries e;
    e.position1 = 0;
    e.position2 = 1;
    EXPECT_EQ(applySessionEntries(one, e, session), std::string(tooFewListFilesMessage));
    EXPECT_EQ(applySessionEntries(one, SessionEntries{}, session), std::string(tooFewListFilesMessage));
    EXPECT_TRUE(session.Cat1.empty());
}

TEST(InputFileCreation, FieldChecksOfTheSessionDialog)
{
    SessionEntries e;
    EXPECT_EQ(checkSessionFields("0", "0", "100", e), std::nullopt);
    EXPECT_EQ(e.delay, 0);
    EXPECT_EQ(e.nPrac, 0);
    EXPECT_EQ(e.nReal, 100);
    EXPECT_EQ(checkSessionFields("999", "100", "0", e), std::nullopt);
    EXPECT_EQ(e.delay, 999);
    EXPECT_EQ(checkSessionFields("1000", "20", "40", e), "Please enter an integer between 0 and 999.");
    EXPECT_EQ(checkSessionFields("150", "101", "40", e), "Please enter an integer between 0 and 100.");
    EXPECT_EQ(checkSessionFields("150", "20", "-1", e), "Please enter an integer between 0 and 100.");
    EXPECT_EQ(checkSessionFields("", "20", "40", e), "Please enter an integer.");
    EXPECT_EQ(checkSessionFields("150", "2O", "40", e), "Please enter an integer.");
}

TEST(InputFileCreation, ABuiltDefinitionIsWrittenAsTheExampleLine)
{
    TempDirectory dir;
    ListCatalog catalog;
    catalog.fileCount = 2;
    catalog.files[0] = pairList("Fruit", "Tools");
    catalog.files[0].fileName.assign("pairs1.wls");
    catalog.files[1] = pairList("Summer", "Winter");
    catalog.files[1].fileName.assign("pairs2.wls");

    ExperimentDefinition definition = newExperimentDefinition();
    applyExperimentEntries({"/elsewhere/intro.bgi", 1, true, true}, definition);
    SessionEntries e;
    e.position1 = 0;
    e.position2 = 3;
    ASSERT_EQ(applySessionEntries(catalog, e, definition.sessions[0]), std::nullopt);
    ASSERT_TRUE(writeInputFile(definition, dir.file("new.inp")));
    EXPECT_EQ(dir.read("new.inp"), "intro.bgi\t1\tpairs1.wls\tpairs2.wls\t0\t1\t1\t150\t20\t40\t1\t1\r\n");
}

TEST(InputFileCreation, AnInstructionFileElsewhereIsOfferedACopyWhenNoneIsBesideTheInputFile)
{
    TempDirectory root;
    const std::string study = root.file("study"), demo = root.file("demo");
    ASSERT_TRUE(std::filesystem::create_directory(study) && std::filesystem::create_directory(demo));
    root.write("demo/intro.bgi", "1\r\nHello#\r\n");
    root.write("demo/own.bgi", "1\r\nOwn#\r\n");
    root.write("study/own.bgi", "1\r\nKept#\r\n");
    const std::string input = study + "/new.inp";
    struct Case {
        std::string instructionPath;
        bool offer;
    };
    const Case cases[] = {
        {demo + "/intro.bgi", true},
        {study + "/../demo/intro.bgi", true},
        {demo + "/own.bgi", false},             // one of that name is there already
        {study + "/intro.bgi", false},          // in the input file's folder (not made yet)
        {demo + "/../study/intro.bgi", false},  // the same folder, spelled otherwise
        {"intro.bgi", false},                   // a bare name is the input file's folder
        {root.file("none/intro.bgi"), true},    // elsewhere, even where nothing is
    };
    for (const Case& c : cases) {
        const InstructionFilePlacement placement = placeInstructionFile(input, c.instructionPath);
        EXPECT_EQ(placement.offerCopy, c.offer) << c.instructionPath;
        EXPECT_EQ(placement.runPath, study + "/" + instructionFileNameOf(c.instructionPath));
        EXPECT_EQ(placement.chosenPath, c.instructionPath);
    }
}

TEST(InputFileCreation, TheCopyNeverReplacesAFileAndSaysWhyItFailed)
{
    TempDirectory dir;
    dir.write("intro.bgi", "1\r\nHello#\r\n");
    dir.write("kept.bgi", "1\r\nKept#\r\n");
    EXPECT_TRUE(copyWithoutReplacing(dir.file("intro.bgi"), dir.file("copy.bgi")));
    EXPECT_EQ(dir.read("copy.bgi"), "1\r\nHello#\r\n");

    const WriteOutcome taken = copyWithoutReplacing(dir.file("intro.bgi"), dir.file("kept.bgi"));
    EXPECT_FALSE(taken);
    EXPECT_EQ(taken.error, "cannot copy to " + dir.file("kept.bgi") + ": a file of that name is already there");
    EXPECT_EQ(dir.read("kept.bgi"), "1\r\nKept#\r\n");

    const WriteOutcome missing = copyWithoutReplacing(dir.file("none.bgi"), dir.file("other.bgi"));
    EXPECT_EQ(missing.error, "cannot read " + dir.file("none.bgi") + ": No such file or directory");
    const WriteOutcome noFolder = copyWithoutReplacing(dir.file("intro.bgi"), dir.file("gone/intro.bgi"));
    EXPECT_EQ(noFolder.error, "cannot write " + dir.file("gone/intro.bgi") + ": No such file or directory");
    std::vector<std::string> names = dir.entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"copy.bgi", "intro.bgi", "kept.bgi"})) << "no file left behind";
}
