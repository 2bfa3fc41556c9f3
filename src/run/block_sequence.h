#pragma once
// Which blocks a session runs and with which sides: the sequence of practice and
// recorded blocks of its two halves, with the practice of a pair left out where the
// session goes on with the list and arrangement last practised. The run driver runs
// the blocks by it, and the reading of data files works out each block's role by it.

#include <array>

#include "task/between_block.h"

// Block indexes within a half: BlockInHalf.
inline constexpr int blocksPerHalf = 4;
inline constexpr int recordedBlock = 3;

struct SessionSequenceInput {
    int Cat1p = 0;
    int Cat2p = 0;
    int Catsw = 1;
    bool firstSession = true;
    // Whether pair p names the same list file as pair p of the previous session.
    std::array<bool, 2> sameListAsPrevious{false, false};
    // The left category of each pair at the end of the half finished last.
    std::array<int, 2> finishedLeft{0, 0};
};

struct SessionSequence {
    // Per half: the left category of each pair (0 the list file's first category).
    std::array<std::array<int, 2>, 2> left{};
    // Per half and block index: whether the block is run.
    std::array<std::array<bool, blocksPerHalf>, 2> runs{};
    // The sides at the end of the session's second half, for the next session.
    std::array<int, 2> finishedLeft{0, 0};
};

SessionSequence sessionSequence(const SessionSequenceInput& input);
