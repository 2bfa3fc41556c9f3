#include <gtest/gtest.h>

#include <random>

#include "common/temp_directory.h"
#include "files/word_list.h"

namespace {

WordList makeList(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    WordList list;
    for (std::size_t i = 0; i < a.size(); ++i)
        list.entriesA[i].assign(a[i]);
    for (std::size_t i = 0; i < b.size(); ++i)
        list.entriesB[i].assign(b[i]);
    list.entryCountA = static_cast<int>(a.size());
    list.entryCountB = static_cast<int>(b.size());
    return list;
}

const WordList fruitAndTools = makeList({"Fruit", "apple", "pear", "plum", "cherry"},
                                        {"Tools", "hammer", "saw", "drill", "chisel", "file"});

std::string format(const WordList& list)
{
    std::string bytes, reason;
    EXPECT_TRUE(formatWordListFile(list, bytes, reason)) << reason;
    return bytes;
}

std::vector<std::string> entries(const Entries& all, int count)
{
    std::vector<std::string> used;
    for (int i = 0; i < count; ++i)
        used.push_back(all[i].str());
    return used;
}

void expectWithinCapacity(const WordList& list)
{
    EXPECT_GE(list.entryCountA, 0);
    EXPECT_LE(list.entryCountA, maxEntries);
    EXPECT_GE(list.entryCountB, 0);
    EXPECT_LE(list.entryCountB, maxEntries);
    for (int i = 0; i < maxEntries; ++i) {
        EXPECT_LE(list.entriesA[i].size(), entryCapacity);
        EXPECT_LE(list.entriesB[i].size(), entryCapacity);
    }
}

}  // namespace

TEST(WordListFile, ByteForByte)
{
    EXPECT_EQ(format(fruitAndTools), "5\r\n6\r\nFruit\r\napple\r\npear\r\nplum\r\ncherry\r\n"
                                     "Tools\r\nhammer\r\nsaw\r\ndrill\r\nchisel\r\nfile\r\n");
    // Blanked items are left out; the count says how many remain.
    WordList gaps = makeList({"A", "", "x", "", "y"}, {"B"});
    gaps.entriesA[18].assign("z");
    gaps.entryCountA = 4;
    EXPECT_EQ(format(gaps), "4\r\n1\r\nA\r\nx\r\ny\r\nz\r\nB\r\n");
}

TEST(WordListFile, WrittenFilesReadBackUnchanged)
{
    TempDirectory dir;
    std::vector<std::string> full{"Many"};
    for (int i = 1; i < maxEntries; ++i)
        full.push_back(std::string(entryCapacity, static_cast<char>('a' + i)));
    for (const WordList& list : {fruitAndTools, makeList({"Few", "one"}, full), makeList({"Alone"}, {"Also"})}) {
        ASSERT_TRUE(writeWordListFile(list, dir.file("pairs.wls")));
        WordList read;
        read.isQuestionnaire = true;
        readWordListFile(dir.file("pairs.wls"), read);
        EXPECT_FALSE(read.isQuestionnaire);
        EXPECT_TRUE(read.problems.empty());
        EXPECT_EQ(read.entryCountA, list.entryCountA);
        EXPECT_EQ(read.entryCountB, list.entryCountB);
        EXPECT_EQ(read.entriesA, list.entriesA);
        EXPECT_EQ(read.entriesB, list.entriesB);
    }
}

TEST(WordListFile, ListsThatWouldNotReadBackAreRefused)
{
    const auto refused = [](auto change) {
        WordList list = fruitAndTools;
        change(list);
        std::string bytes, reason;
        return !formatWordListFile(list, bytes, reason) && !reason.empty();
    };
    EXPECT_TRUE(refused([](WordList& l) { l.entryCountA = 4; }));
    EXPECT_TRUE(refused([](WordList& l) { l.entryCountB = 0; }));
    EXPECT_TRUE(refused([](WordList& l) { l.entryCountB = 20; }));
    EXPECT_TRUE(refused([](WordList& l) { l.entriesA[0].clear(); }));
    EXPECT_TRUE(refused([](WordList& l) { l.entriesB[2].assign("two words"); }));
    EXPECT_TRUE(refused([](WordList& l) { l.entriesB[0].assign("Tools\r"); }));
    EXPECT_TRUE(refused([](WordList& l) { l.entriesA[7].assign("stray"); }));  // beyond the count
    EXPECT_FALSE(refused([](WordList&) {}));

    TempDirectory dir;
    EXPECT_FALSE(writeWordListFile(makeList({"", "x"}, {"B"}), dir.file("bad.wls")));
    EXPECT_TRUE(dir.entries().empty());
}

TEST(WordListFile, ReadingTakesAnyWhiteSpaceAndEachCategoryItsOwnCount)
{
    WordList list;
    parseWordListFile("2 4\nSmall one\tBig\r\n  a b\n c", "sizes.wls", list);
    EXPECT_TRUE(list.problems.empty());
    EXPECT_EQ(entries(list.entriesA, list.entryCountA), (std::vector<std::string>{"Small", "one"}));
    EXPECT_EQ(entries(list.entriesB, list.entryCountB), (std::vector<std::string>{"Big", "a", "b", "c"}));
}

TEST(WordListFile, ShortAndMalformedFilesAreRecorded)
{
    WordList list;
    parseWordListFile("5\r\n6\r\nFruit\r\napple\r\n", "short.wls", list);
    EXPECT_EQ(list.entryCountA, 5);
    EXPECT_EQ(list.entryCountB, 6);
    EXPECT_EQ(list.entriesA[1], "apple");
    EXPECT_TRUE(list.entriesA[2].empty());
    EXPECT_EQ(list.problems,
              std::vector<std::string>{"word list short.wls: the file ends after 2 of 5 entries of category A"});

    parseWordListFile("3\r\nmany\r\nA\r\n", "count.wls", list);
    EXPECT_EQ(list.entryCountA, 3);
    EXPECT_EQ(list.entryCountB, 0);
    EXPECT_TRUE(list.entriesA[0].empty());
    EXPECT_EQ(list.problems,
              std::vector<std::string>{"word list count.wls: the count of category B is \"many\", not an integer"});

    parseWordListFile("1\r\n1\r\nA\r\nB\r\nC\r\n", "long.wls", list);
    EXPECT_EQ(list.problems, std::vector<std::string>{"word list long.wls: text follows the last entry of category B"});

    parseWordListFile("", "empty.wls", list);
    EXPECT_EQ(list.entryCountA, 0);
    EXPECT_EQ(list.problems.size(), 1u);

    readWordListFile("/nonexistent/dir/x.wls", list);
    EXPECT_EQ(list.problems.size(), 1u);
}

TEST(WordListFile, CountsBeyondCapacityAreClampedWithoutShiftingCategoryB)
{
    std::string bytes = "23\r\n2\r\nFruit\r\n";
    for (int i = 1; i < 23; ++i)
        bytes += "fruit" + std::to_string(i) + "\r\n";
    bytes += "Tools\r\nhammer\r\n";
    WordList list;
    parseWordListFile(bytes, "Fruit.wls", list);
    EXPECT_EQ(list.entryCountA, maxEntries);
    EXPECT_EQ(list.entriesA[18], "fruit18");
    EXPECT_EQ(entries(list.entriesB, list.entryCountB), (std::vector<std::string>{"Tools", "hammer"}));
    EXPECT_EQ(list.problems, std::vector<std::string>{"word list Fruit.wls: category A has 23 entries, at most 19 "
                                                      "are allowed; the last 4 were left out"});

    for (const char* count : {"0", "-7"}) {
        parseWordListFile("2\r\n" + std::string(count) + "\r\nA\r\nx\r\n", "low.wls", list);
        EXPECT_EQ(list.entryCountB, 1);
        EXPECT_TRUE(list.entriesB[0].empty());
        EXPECT_EQ(list.problems.size(), 1u) << count;
    }

    // A huge count ends at the end of the file.
    parseWordListFile("2000000000 1 A", "huge.wls", list);
    EXPECT_EQ(list.entryCountA, maxEntries);
    EXPECT_EQ(list.problems.size(), 2u);
}

TEST(WordListFile, OverlongEntriesAreCut)
{
    WordList list;
    parseWordListFile("2 1 Fruit strawberrybasket Tools", "cut.wls", list);
    EXPECT_EQ(list.entriesA[1], "strawberrybaske");
    EXPECT_EQ(list.entriesB[0], "Tools");
    ASSERT_EQ(list.problems.size(), 1u);
    EXPECT_EQ(list.problems[0], "word list cut.wls: item 1 of category A \"strawberrybasket\" is longer than 15 "
                                "characters; it was cut");
}

TEST(QuestionnaireLabels, TakesTheTwoLabelsOfTheHead)
{
    WordList list;
    list.entriesA[3].assign("stale");
    parseQuestionnaireLabels("Mine#\r\nTheirs#\r\n2\r\n1\r\nWho?#\r\n2\r\n", "q.qls", list);
    EXPECT_TRUE(list.isQuestionnaire);
    EXPECT_EQ(list.entryCountA, 1);
    EXPECT_EQ(list.entryCountB, 1);
    EXPECT_EQ(list.entriesA[0], "Mine");
    EXPECT_EQ(list.entriesB[0], "Theirs");
    EXPECT_TRUE(list.entriesA[3].empty());
    EXPECT_TRUE(list.problems.empty());

    // Exactly one byte is skipped after the first "#", whatever it is.
    parseQuestionnaireLabels("Mine#xTheirs#", "q.qls", list);
    EXPECT_EQ(list.entriesB[0], "Theirs");
    EXPECT_TRUE(list.problems.empty());

    parseQuestionnaireLabels("Averyveryverylonglabel#\r\nOther#\r\n", "long.qls", list);
    EXPECT_EQ(list.entriesA[0], "Averyveryverylo");
    EXPECT_EQ(list.entriesB[0], "Other");
    EXPECT_EQ(list.problems.size(), 1u);

    for (const char* broken : {"", "Mine", "Mine#", "Mine#\r\n", "Mine#\r\nTheirs"}) {
        parseQuestionnaireLabels(broken, "broken.qls", list);
        EXPECT_EQ(list.problems.size(), 1u) << broken;
        EXPECT_EQ(list.entryCountA, 1);
        EXPECT_EQ(list.entryCountB, 1);
    }

    TempDirectory dir;
    dir.write("q.qls", "Mine#\r\nTheirs#\r\n1\r\n");
    WordList fromFile;
    readQuestionnaireLabels(dir.file("q.qls"), fromFile);
    EXPECT_EQ(fromFile.entriesA[0], "Mine");
    EXPECT_EQ(fromFile.entriesB[0], "Theirs");
    EXPECT_TRUE(fromFile.isQuestionnaire);
}

TEST(WordListFile, TruncatedAndGarbageFilesNeverBreakTheReaders)
{
    const std::string whole = format(fruitAndTools);
    // Complete as soon as the first byte of the last item is there.
    const std::size_t lastItemStart = whole.size() - std::string("file\r\n").size();
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        WordList list;
        parseWordListFile(whole.substr(0, length), "cut.wls", list);
        expectWithinCapacity(list);
        EXPECT_EQ(list.problems.empty(), length > lastItemStart) << length;
        parseQuestionnaireLabels(whole.substr(0, length), "cut.qls", list);
        expectWithinCapacity(list);
    }

    std::mt19937 random(99);
    const std::string pieces[] = {"\r\n", " ", "#", "19", "20", "-1", "0", "2147483648", std::string(30, 'w'), "a"};
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        const int length = static_cast<int>(random() % 150);
        for (int i = 0; i < length; ++i) {
            if (round % 2 == 0)
                bytes += static_cast<char>(random() % 256);
            else
                bytes += pieces[random() % std::size(pieces)];
        }
        WordList list;
        parseWordListFile(bytes, "garbage.wls", list);
        expectWithinCapacity(list);
        parseQuestionnaireLabels(bytes, "garbage.qls", list);
        expectWithinCapacity(list);
    }
}
