#pragma once
// The texts of the two dialogs around a block: which categories the next block
// uses and whether it is recorded, and afterwards the block's time and percent.

#include <string>

// A block's place within a half of a session; the values are the run's block index.
enum class BlockInHalf {
    PairOne = 0,           // pair 1 alone, practice
    PairTwo = 1,           // pair 2 alone, practice
    CombinedPractice = 2,  // both pairs, practice
    CombinedRecorded = 3,  // both pairs, recorded
};

// The category labels in force for the block, in their left and right positions.
struct NextBlockLabels {
    std::string pairOneLeft;
    std::string pairOneRight;
    std::string pairTwoLeft;
    std::string pairTwoRight;
};

// The next-block dialog's variable texts (single-byte); the first row's "or" is
// fixed text of the dialog.
struct NextBlockTexts {
    std::string firstLeft;
    std::string firstRight;
    std::string connector;  // "and" when a second row follows
    std::string secondLeft;
    std::string lowerConnector;  // the second row's "or"
    std::string secondRight;
    std::string status;  // "practice." or "real."
    friend bool operator==(const NextBlockTexts&, const NextBlockTexts&) = default;
};

// A single-pair block shows its pair in the first row and leaves the second row
// empty; a combined block shows pair 1 above "and" and pair 2 below.
NextBlockTexts nextBlockTexts(BlockInHalf block, const NextBlockLabels& labels);

// The block's total latency in seconds with one decimal, rounded half up: 17100 ms
// reads "17.1", 59950 ms "60.0".
std::string blockTimeText(double totalLatencyMs);

// The percent correct with its fraction dropped. A block with more wrong responses
// than trials counted has a negative percent; it reads "0".
std::string percentText(double percentCorrect);
