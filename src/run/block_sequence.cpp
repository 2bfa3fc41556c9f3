#include "run/block_sequence.h"

#include <algorithm>

namespace {

constexpr int noBlock = 9;  // the skip value that names no block

}  // namespace

SessionSequence sessionSequence(const SessionSequenceInput& input)
{
    SessionSequence sequence;
    std::array<int, 2> left{std::clamp(input.Cat1p, 0, 1), std::clamp(input.Cat2p, 0, 1)};
    std::array<int, 2> finishedLeft = input.finishedLeft;
    int skip = noBlock;
    for (int half = 0; half < 2; ++half) {
        sequence.left[half] = left;
        for (int block = 0; block < blocksPerHalf; ++block) {
            // A single-pair practice block is left out when the session goes on with
            // the previous session's list in the arrangement last practised.
            if (!input.firstSession && block < 2 && input.sameListAsPrevious[block] &&
                left[block] == finishedLeft[block])
                skip = block;
            sequence.runs[half][block] = skip != block;
        }
        finishedLeft = left;
        if (input.Catsw == 0) {
            left[0] = 1 - left[0];
            skip = 1;
        } else if (input.Catsw == 1) {
            left[1] = 1 - left[1];
            skip = 0;
        }
    }
    sequence.finishedLeft = finishedLeft;
    return sequence;
}
