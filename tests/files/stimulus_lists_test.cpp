#include <gtest/gtest.h>

#include "common/temp_directory.h"
#include "files/stimulus_lists.h"

namespace {

CategoryBoxes category(const std::string& label, const std::string& itemCount,
                       std::vector<std::pair<int, std::string>> items)
{
    CategoryBoxes boxes;
    boxes.label = label;
    boxes.itemCount = itemCount;
    for (const auto& [box, text] : items)
        boxes.items[box - 1] = text;
    return boxes;
}

StimulusListBoxes pair(CategoryBoxes a, CategoryBoxes b)
{
    StimulusListBoxes boxes;
    boxes.categories = {std::move(a), std::move(b)};
    return boxes;
}

// Four rivers and five birds, with a gap between items 2 and 5 of the rivers.
const StimulusListBoxes riversAndBirds =
    pair(category("Rivers", "4", {{1, "Rhine"}, {2, "Danube"}, {5, "Elbe"}, {12, "Loire"}}),
         category("Birds", "5", {{1, "robin"}, {2, "wren"}, {3, "finch"}, {4, "crow"}, {5, "heron"}}));

const std::string riversAndBirdsFile =
    "5\r\n6\r\nRivers\r\nRhine\r\nDanube\r\nElbe\r\nLoire\r\nBirds\r\nrobin\r\nwren\r\nfinch\r\ncrow\r\nheron\r\n";

}  // namespace

TEST(StimulusListBoxes, ItemCountBoxCountsItsLeadingDigitsOnly)
{
    EXPECT_EQ(itemCountOf(""), 0);
    EXPECT_EQ(itemCountOf("0"), 0);
    EXPECT_EQ(itemCountOf("7"), 7);
    EXPECT_EQ(itemCountOf("18"), 18);
    EXPECT_EQ(itemCountOf("4x"), 4);
    EXPECT_EQ(itemCountOf("x4"), 0);
    EXPECT_EQ(itemCountOf(" 4"), 0);
    EXPECT_EQ(itemCountOf("-3"), 0);
    EXPECT_EQ(itemCountOf("007"), 7);
    EXPECT_EQ(itemCountOf("99999999999999"), 1000000);
}

TEST(StimulusListBoxes, SavedListIsTheLabelsAndTheFilledItemsWithoutGaps)
{
    const WordList list = wordListFromBoxes(riversAndBirds);
    EXPECT_EQ(list.entryCountA, 5);
    EXPECT_EQ(list.entryCountB, 6);
    EXPECT_EQ(list.entriesA[0], "Rivers");
    EXPECT_EQ(list.entriesA[3], "Elbe");
    EXPECT_EQ(list.entriesA[4], "Loire");
    EXPECT_TRUE(list.entriesA[5].empty());
    EXPECT_TRUE(list.entriesA[12].empty());
    std::string bytes, reason;
    ASSERT_TRUE(formatWordListFile(list, bytes, reason)) << reason;
    EXPECT_EQ(bytes, riversAndBirdsFile);

    // Boxes 1, 3 and 10 become entries 1 to 3.
    const auto closed = withoutGaps(category("x", "3", {{1, "oak"}, {3, "ash"}, {10, "elm"}}).items);
    EXPECT_EQ(closed[0], "oak");
    EXPECT_EQ(closed[1], "ash");
    EXPECT_EQ(closed[2], "elm");
    for (std::size_t i = 3; i < closed.size(); ++i)
        EXPECT_TRUE(closed[i].empty()) << i;
}

TEST(StimulusListBoxes, OpenedListShowsEntryKInBoxKAndTheCountWithoutTheLabel)
{
    WordList list;
    parseWordListFile(riversAndBirdsFile, "r.wls", list);
    const StimulusListBoxes boxes = boxesFromWordList(list);
    EXPECT_EQ(boxes.categories[0], category("Rivers", "4", {{1, "Rhine"}, {2, "Danube"}, {3, "Elbe"}, {4, "Loire"}}));
    EXPECT_EQ(boxes.categories[1], riversAndBirds.categories[1]);

    // A file cut before its counts shows 0, never a negative number.
    WordList empty;
    parseWordListFile("", "e.wls", empty);
    EXPECT_EQ(boxesFromWordList(empty).categories[0].itemCount, "0");
    EXPECT_EQ(boxesFromWordList(empty).categories[1].itemCount, "0");
}

TEST(StimulusListBoxes, SaveIsRefusedWhenACountDiffersFromTheFilledBoxes)
{
    EXPECT_FALSE(refusalToSave(riversAndBirds));

    StimulusListBoxes boxes = riversAndBirds;
    boxes.categories[1].itemCount = "6";
    auto refusal = refusalToSave(boxes);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->message, itemCountMessage);
    EXPECT_EQ(refusal->message,
              "ERROR: The number in the \"# of items\" box must equal the number of words before your list can be "
              "saved.");
    EXPECT_EQ(refusal->box, (BoxRef{1, BoxRef::ItemCount, 0}));

    // An empty "# of items" box counts as 0, so it only matches an empty category.
    boxes = riversAndBirds;
    boxes.categories[0].itemCount = "";
    EXPECT_EQ(refusalToSave(boxes)->box, (BoxRef{0, BoxRef::ItemCount, 0}));
    boxes.categories[0] = category("Rivers", "", {});
    EXPECT_FALSE(refusalToSave(boxes));
    // "4 " and "4x" stand for 4.
    boxes = riversAndBirds;
    boxes.categories[0].itemCount = "4x";
    EXPECT_FALSE(refusalToSave(boxes));
}

TEST(StimulusListBoxes, SaveIsRefusedForEntriesThatWouldReadBackDifferently)
{
    const auto refusedAt = [](const StimulusListBoxes& boxes) -> std::optional<BoxRef> {
        auto refusal = refusalToSave(boxes);
        if (!refusal)
            return std::nullopt;
        EXPECT_NE(refusal->message, itemCountMessage);
        EXPECT_EQ(refusal->message.rfind("ERROR: ", 0), 0u) << refusal->message;
        return refusal->box;
    };

    StimulusListBoxes boxes = riversAndBirds;
    boxes.categories[0].items[11] = "Rio Grande";
    EXPECT_EQ(refusedAt(boxes), (BoxRef{0, BoxRef::Item, 12}));
    EXPECT_NE(refusalToSave(boxes)->message.find("Item box 12 of Category A"), std::string::npos);

    boxes = riversAndBirds;
    boxes.categories[1].label = "Song\tbirds";
    EXPECT_EQ(refusedAt(boxes), (BoxRef{1, BoxRef::Label, 0}));
    EXPECT_NE(refusalToSave(boxes)->message.find("\"Category Label\" box of Category B"), std::string::npos);

    // 15 characters fit; 16 would be cut when the file is read.
    boxes = riversAndBirds;
    boxes.categories[1].items[4] = std::string(15, 'h');
    EXPECT_FALSE(refusedAt(boxes));
    boxes.categories[1].items[4] = std::string(16, 'h');
    EXPECT_EQ(refusedAt(boxes), (BoxRef{1, BoxRef::Item, 5}));

    // A category with items and no label, and an empty pair: a label is needed.
    boxes = riversAndBirds;
    boxes.categories[0].label.clear();
    EXPECT_EQ(refusedAt(boxes), (BoxRef{0, BoxRef::Label, 0}));
    EXPECT_NE(refusalToSave(boxes)->message.find("Category A"), std::string::npos);
    boxes = pair(category("", "", {}), category("", "0", {}));
    EXPECT_EQ(refusedAt(boxes), (BoxRef{0, BoxRef::Label, 0}));

    // The count check comes first.
    boxes = riversAndBirds;
    boxes.categories[1].items[0] = "blue tit";
    boxes.categories[1].items[5] = "gull";
    EXPECT_EQ(refusalToSave(boxes)->message, itemCountMessage);
}

TEST(StimulusListBoxes, ExitChecksTheLengthOfEveryBox)
{
    EXPECT_FALSE(refusalToExit(riversAndBirds));
    StimulusListBoxes boxes = riversAndBirds;
    boxes.categories[0].items[17] = std::string(16, 'r');
    auto refusal = refusalToExit(boxes);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->box, (BoxRef{0, BoxRef::Item, 18}));
    EXPECT_EQ(refusal->message, "Please enter no more than 15 characters.");

    boxes = riversAndBirds;
    boxes.categories[1].itemCount = "1234";
    refusal = refusalToExit(boxes);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->box, (BoxRef{1, BoxRef::ItemCount, 0}));
    EXPECT_EQ(refusal->message, "Please enter no more than 3 characters.");

    // Exit does not apply the save checks.
    boxes = riversAndBirds;
    boxes.categories[0].itemCount = "9";
    boxes.categories[0].label = "two words";
    EXPECT_FALSE(refusalToExit(boxes));
}

TEST(StimulusListDocument, AsksBeforeReplacingOnlyAfterTheFirstNewOrOpen)
{
    TempDirectory dir;
    dir.write("r.wls", riversAndBirdsFile);

    StimulusListDocument fresh;
    EXPECT_FALSE(fresh.asksBeforeReplacing());
    // Typing and saving do not count.
    fresh.takeBoxes(riversAndBirds);
    ASSERT_FALSE(fresh.checkForSave());
    ASSERT_TRUE(fresh.saveTo(dir.file("s.wls")));
    EXPECT_FALSE(fresh.asksBeforeReplacing());
    // An Open that fails does not go through.
    EXPECT_FALSE(fresh.open(dir.file("missing.wls")).opened);
    EXPECT_FALSE(fresh.asksBeforeReplacing());
    fresh.newList();
    EXPECT_TRUE(fresh.asksBeforeReplacing());

    StimulusListDocument opened;
    EXPECT_TRUE(opened.open(dir.file("r.wls")).opened);
    EXPECT_TRUE(opened.asksBeforeReplacing());
}

TEST(StimulusListDocument, NewEmptiesTheBoxesAndShowsZeroItems)
{
    StimulusListDocument document;
    EXPECT_EQ(document.boxes(), StimulusListBoxes{});
    EXPECT_TRUE(document.path().empty());
    document.takeBoxes(riversAndBirds);
    document.newList();
    EXPECT_EQ(document.boxes(), pair(category("", "0", {}), category("", "0", {})));
    EXPECT_TRUE(document.path().empty());
}

TEST(StimulusListDocument, OpenReplacesEveryBoxOrNothing)
{
    TempDirectory dir;
    dir.write("short.wls", "2\r\n1\r\nSeas\r\nBaltic\r\nLakes\r\n");
    StimulusListDocument document;
    document.takeBoxes(riversAndBirds);

    // A file that cannot be read leaves the screen, the file and the message as they were.
    const auto failed = document.open(dir.file("missing.wls"));
    EXPECT_FALSE(failed.opened);
    EXPECT_EQ(failed.error, "cannot read " + dir.file("missing.wls") + ": No such file or directory");
    EXPECT_EQ(document.boxes(), riversAndBirds);
    EXPECT_TRUE(document.path().empty());

    // A shorter list leaves none of the earlier items behind.
    const auto opened = document.open(dir.file("short.wls"));
    EXPECT_TRUE(opened.opened);
    EXPECT_TRUE(opened.problems.empty());
    EXPECT_EQ(document.boxes(), pair(category("Seas", "1", {{1, "Baltic"}}), category("Lakes", "0", {})));
    EXPECT_EQ(document.path(), dir.file("short.wls"));

    // What the reader had to cut comes back with the list.
    dir.write("long.wls", "2\r\n1\r\nSeas\r\nMediterraneanSea\r\nLakes\r\n");
    const auto cut = document.open(dir.file("long.wls"));
    ASSERT_EQ(cut.problems.size(), 1u);
    EXPECT_NE(cut.problems[0].find("long.wls"), std::string::npos);
    EXPECT_EQ(document.boxes().categories[0].items[0], "MediterraneanSe");
}

TEST(StimulusListDocument, RefusedSaveKeepsItsMessageUntilTheNextRefresh)
{
    TempDirectory dir;
    StimulusListDocument document;
    StimulusListBoxes boxes = riversAndBirds;
    boxes.categories[0].itemCount = "5";
    boxes.categories[1].itemCount = "5 birds";
    document.takeBoxes(boxes);
    ASSERT_TRUE(document.checkForSave());
    document.refresh();
    EXPECT_EQ(document.message(), itemCountMessage);
    // The refresh shows each count as the number it stands for; the rest as typed.
    EXPECT_EQ(document.boxes().categories[1].itemCount, "5");
    EXPECT_EQ(document.boxes().categories[0].items, riversAndBirds.categories[0].items);

    document.takeBoxes(riversAndBirds);
    ASSERT_FALSE(document.checkForSave());
    ASSERT_TRUE(document.saveTo(dir.file("r.wls")));
    document.refresh();
    EXPECT_EQ(document.message(), "");
    EXPECT_EQ(dir.read("r.wls"), riversAndBirdsFile);
    EXPECT_EQ(document.path(), dir.file("r.wls"));
    // The boxes keep their gaps until the list is opened again.
    EXPECT_EQ(document.boxes(), riversAndBirds);
    ASSERT_TRUE(document.open(dir.file("r.wls")).opened);
    EXPECT_EQ(document.boxes().categories[0].items[3], "Loire");
}

TEST(StimulusListDocument, FailedSaveKeepsTheOldFileAndTheCurrentPath)
{
    TempDirectory dir;
    dir.write("r.wls", "old\r\n");
    StimulusListDocument document;
    document.takeBoxes(riversAndBirds);
    ASSERT_FALSE(document.checkForSave());

    const WriteOutcome missing = document.saveTo(dir.file("gone/r.wls"));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.error, "cannot write " + dir.file("gone/r.wls") + ": No such file or directory");
    EXPECT_TRUE(document.path().empty());

    // Whatever slips past the check is still refused by the file's own rules.
    StimulusListBoxes spaced = riversAndBirds;
    spaced.categories[0].items[0] = "Rhine river";
    document.takeBoxes(spaced);
    EXPECT_FALSE(document.saveTo(dir.file("r.wls")));
    EXPECT_EQ(dir.read("r.wls"), "old\r\n");
    EXPECT_EQ(dir.entries().size(), 1u);
}
