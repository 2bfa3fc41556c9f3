#include "task/trial_plan.h"

#include <algorithm>

const char* const sideTable[sideTableRows] = {
    "1011010001001011", "0010110111010010", "0110011100111000", "1101001010001101", "0010011101110010",
    "1100100110011100", "1101011001101000", "1000110100100111", "0010110100101101", "1101001010110100",
    "0100101110110100", "1101001000101101", "1001100011000111", "0010110101110010", "1101100010001101",
    "0011011001100011", "0010100110010111", "0111001011011000", "1101001011010010", "0010110101001011",
};

bool isTutorial(BlockType type)
{
    return type == BlockType::TutorialPairBlock || type == BlockType::TutorialCombinedBlock;
}

int sideAt(int startRow, int t)
{
    const int index = startRow * sideTableColumns + t;
    const int row = (index / sideTableColumns) % sideTableRows;
    return sideTable[row][index % sideTableColumns] - '0';
}

TrialPlan buildTrialPlan(BlockType type, int usableItemCount, const std::array<int, 2>& leftCategory, int trials,
                         int& phase, RandomGenerator& random, CalendarTime& calendar)
{
    TrialPlan plan;
    plan.trials = std::clamp(trials, 0, maxTrialsPerBlock);
    const bool tutorial = isTutorial(type);
    // Items 1 to r; never fewer than one value, so an urn always has something to give.
    const int r = tutorial ? tutorialItemCount : std::clamp(usableItemCount - 1, 1, maxEntries - 1);

    // One urn per (pair, category), then the starting row from an urn over the rows.
    std::array<std::array<ItemUrn, 2>, 2> urns{{
        {ItemUrn(1, r, random, calendar), ItemUrn(1, r, random, calendar)},
        {ItemUrn(1, r, random, calendar), ItemUrn(1, r, random, calendar)},
    }};
    ItemUrn rows(0, sideTableRows - 1, random, calendar);
    plan.startRow = rows.draw(true);

    for (int t = 0; t < plan.trials; ++t) {
        phase = 1 - phase;
        int pair = 0;
        switch (type) {
        case BlockType::PairOneBlock:
        case BlockType::TutorialPairBlock:
            pair = 0;
            break;
        case BlockType::PairTwoBlock:
            pair = 1;
            break;
        case BlockType::CombinedBlock:
        case BlockType::TutorialCombinedBlock:
            pair = phase;
            break;
        }
        const int side = sideAt(plan.startRow, t);
        // The word's category is the one that belongs to the key of its side; the
        // tutorial pairs always have category 0 on the left.
        const int category = (!tutorial && leftCategory[pair] == 1) ? 1 - side : side;
        plan.pair[t] = pair;
        plan.category[t] = category;
        plan.item[t] = urns[pair][category].draw(tutorial);
    }
    return plan;
}
