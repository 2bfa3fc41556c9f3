#include <gtest/gtest.h>

#include "common/temp_directory.h"
#include "files/list_catalogue.h"
#include "platform/directory_listing.h"

namespace {

std::string wordListBytes(const std::string& labelA, const std::string& labelB)
{
    return "2\r\n1\r\n" + labelA + "\r\nitem\r\n" + labelB + "\r\n";
}

std::string questionnaireBytes(const std::string& labelA, const std::string& labelB)
{
    return labelA + "#\r\n" + labelB + "#\r\n0\r\n";
}

std::vector<std::string> heldNames(const ListCatalog& catalogue)
{
    std::vector<std::string> names;
    for (int i = 0; i < catalogue.fileCount; ++i)
        names.push_back(catalogue.files[i].fileName.str());
    return names;
}

void request(ListCatalog& catalogue, const std::vector<std::string>& names)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        catalogue.requestedNames[i].assign(names[i]);
}

}  // namespace

TEST(ListCatalogue, KindComesFromTheExtension)
{
    EXPECT_EQ(kindOfListFile("pairs.wls"), ListFileKind::WordList);
    EXPECT_EQ(kindOfListFile("PAIRS.WLS"), ListFileKind::WordList);
    EXPECT_EQ(kindOfListFile("pairs"), ListFileKind::WordList);
    EXPECT_EQ(kindOfListFile("pairs.Qls"), ListFileKind::WordList);
    EXPECT_EQ(kindOfListFile("mine.qls"), ListFileKind::Questionnaire);
    EXPECT_EQ(kindOfListFile("MINE.QLS"), ListFileKind::Questionnaire);
    EXPECT_EQ(kindOfListFile("a.wls.qls"), ListFileKind::Questionnaire);
    EXPECT_EQ(kindOfListFile("a.qls.wls"), ListFileKind::Questionnaire);
}

TEST(ListCatalogue, LoadsEachDistinctFileOnce)
{
    TempDirectory dir;
    dir.write("fruit.wls", wordListBytes("Fruit", "Tools"));
    dir.write("FRUIT.wls", wordListBytes("Upper", "Case"));
    dir.write("me.qls", questionnaireBytes("Mine", "Theirs"));

    ListCatalog catalogue;
    request(catalogue, {"fruit.wls", "me.qls", "FRUIT.wls", "fruit.wls", "me.qls", "fruit.wls", "never.wls", "x"});
    catalogue.loadForExperiment(3, dir.path());
    EXPECT_EQ(heldNames(catalogue), (std::vector<std::string>{"fruit.wls", "me.qls", "FRUIT.wls"}));
    EXPECT_EQ(catalogue.errorCode, 0);
    EXPECT_EQ(catalogue.missingPath, "");
    EXPECT_EQ(catalogue.indexOf("FRUIT.wls"), 2);
    EXPECT_EQ(catalogue.indexOf("Fruit.wls"), -1);

    const WordList& fruit = catalogue.files[0];
    EXPECT_FALSE(fruit.isQuestionnaire);
    EXPECT_EQ(fruit.entryCountA, 2);
    EXPECT_EQ(fruit.entriesA[0], "Fruit");
    EXPECT_EQ(catalogue.files[2].entriesA[0], "Upper");
    const WordList& mine = catalogue.files[1];
    EXPECT_TRUE(mine.isQuestionnaire);
    EXPECT_EQ(mine.entryCountA, 1);
    EXPECT_EQ(mine.entriesB[0], "Theirs");
    EXPECT_EQ(mine.fileName, "me.qls");
}

TEST(ListCatalogue, MissingFilesGiveErrorFiveAndTheLastPath)
{
    TempDirectory dir;
    dir.write("b.wls", wordListBytes("B1", "B2"));
    ListCatalog catalogue;
    request(catalogue, {"a.wls", "b.wls", "c.qls", "b.wls"});
    catalogue.loadForExperiment(2, dir.path());
    EXPECT_EQ(catalogue.fileCount, 3);
    EXPECT_EQ(catalogue.errorCode, errorMissingFile);
    EXPECT_EQ(catalogue.missingPath, dir.path() + "/c.qls");
    EXPECT_EQ(catalogue.files[1].entriesA[0], "B1");  // the others are still loaded

    // A second load starts afresh.
    dir.write("a.wls", wordListBytes("A1", "A2"));
    dir.write("c.qls", questionnaireBytes("C1", "C2"));
    catalogue.loadForExperiment(2, dir.path());
    EXPECT_EQ(catalogue.errorCode, 0);
    EXPECT_EQ(catalogue.missingPath, "");
    EXPECT_EQ(catalogue.files[2].entriesA[0], "C1");
}

TEST(ListCatalogue, DirectoryHoldsTheFirstEighteenWordListsFirst)
{
    TempDirectory many;
    for (int i = 0; i < 20; ++i)
        many.write("list" + std::to_string(i) + ".wls", wordListBytes("A" + std::to_string(i), "B"));
    many.write("q.qls", questionnaireBytes("Mine", "Theirs"));
    ListCatalog catalogue;
    catalogue.fillFromDirectory(many.path());
    std::vector<std::string> expected = listDirectory(many.path(), "wls");
    expected.resize(catalogueCapacity);
    EXPECT_EQ(heldNames(catalogue), expected);
    for (int i = 0; i < catalogue.fileCount; ++i) {
        EXPECT_FALSE(catalogue.files[i].isQuestionnaire);
        EXPECT_EQ(catalogue.files[i].entriesA[0], "A" + expected[i].substr(4, expected[i].size() - 8));
    }

    // Names a catalogue cannot hold are left out before counting.
    TempDirectory mixed;
    mixed.write("one.wls", wordListBytes("One", "B"));
    mixed.write("TWO.WLS", wordListBytes("Two", "B"));
    mixed.write("two words.wls", wordListBytes("X", "B"));
    mixed.write(std::string(36, 'n') + ".wls", wordListBytes("X", "B"));     // 40 characters
    mixed.write(std::string(35, 'n') + ".wls", wordListBytes("Long", "B"));  // 39 characters
    mixed.write("me.qls", questionnaireBytes("Mine", "Theirs"));
    mixed.write("you.QLS", questionnaireBytes("Yours", "Others"));
    mixed.write("notes.txt", "");
    catalogue.fillFromDirectory(mixed.path());
    const std::vector<std::string> names = heldNames(catalogue);
    ASSERT_EQ(names.size(), 5u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(kindOfListFile(names[i]), ListFileKind::WordList) << names[i];
        EXPECT_FALSE(catalogue.files[i].isQuestionnaire);
    }
    for (int i = 3; i < 5; ++i) {
        EXPECT_TRUE(catalogue.files[i].isQuestionnaire) << names[i];
        EXPECT_EQ(catalogue.files[i].entryCountB, 1);
    }
    EXPECT_GE(catalogue.indexOf(std::string(35, 'n') + ".wls"), 0);
    EXPECT_EQ(catalogue.indexOf("two words.wls"), -1);

    // Filling again replaces everything; an unreadable directory gives nothing.
    catalogue.fillFromDirectory(mixed.path() + "/absent");
    EXPECT_EQ(catalogue.fileCount, 0);
    EXPECT_TRUE(catalogue.files[0].fileName.empty());
}

TEST(ListCatalogue, QuestionnairesFillTheRemainingPlaces)
{
    TempDirectory dir;
    for (int i = 0; i < 16; ++i)
        dir.write("w" + std::to_string(i) + ".wls", wordListBytes("A", "B"));
    for (int i = 0; i < 4; ++i)
        dir.write("q" + std::to_string(i) + ".qls", questionnaireBytes("A", "B"));
    ListCatalog catalogue;
    catalogue.fillFromDirectory(dir.path());
    std::vector<std::string> expected = listDirectory(dir.path(), "wls");
    const std::vector<std::string> questionnaires = listDirectory(dir.path(), "qls");
    expected.insert(expected.end(), questionnaires.begin(), questionnaires.begin() + 2);
    EXPECT_EQ(heldNames(catalogue), expected);
}
