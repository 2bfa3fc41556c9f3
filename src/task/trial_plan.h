#pragma once
// The block types and the trial plan: which pair, category and item each trial of a
// block shows, decided before the first word appears.

#include <array>

#include "files/word_list.h"
#include "task/item_urn.h"

enum class BlockType : int {
    PairOneBlock = 0,           // pair 1 only
    PairTwoBlock = 1,           // pair 2 only
    CombinedBlock = 3,          // pairs 1 and 2, strictly alternating
    TutorialPairBlock = 4,      // the tutorial's first pair only
    TutorialCombinedBlock = 5,  // both tutorial pairs, alternating
};

bool isTutorial(BlockType type);

inline constexpr int maxTrialsPerBlock = 100;
inline constexpr int tutorialItemCount = 5;

// The balanced side table: 20 rows of 16 sides (0 left, 1 right), each row eight of
// each and no run longer than three.
inline constexpr int sideTableRows = 20;
inline constexpr int sideTableColumns = 16;
extern const char* const sideTable[sideTableRows];

// The side of the t-th trial when reading starts at the given row: the table read
// row by row, cyclically.
int sideAt(int startRow, int t);

struct TrialPlan {
    int trials = 0;
    std::array<int, maxTrialsPerBlock> pair{};
    std::array<int, maxTrialsPerBlock> category{};
    std::array<int, maxTrialsPerBlock> item{};
    int startRow = 0;
};

// Builds the plan of trials trials (0 to 100). usableItemCount n gives items 1 to
// n - 1 (the tutorial types use 1 to 5); leftCategory says, per pair, which category
// belongs to the left key. The phase flips once per planned trial and is the pair of
// a combined block's trial; it outlives the block.
TrialPlan buildTrialPlan(BlockType type, int usableItemCount, const std::array<int, 2>& leftCategory, int trials,
                         int& phase, RandomGenerator& random, CalendarTime& calendar);
