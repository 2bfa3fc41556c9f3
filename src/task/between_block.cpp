#include "task/between_block.h"

#include <cmath>

NextBlockTexts nextBlockTexts(BlockInHalf block, const NextBlockLabels& labels)
{
    NextBlockTexts texts;
    switch (block) {
    case BlockInHalf::PairOne:
        texts.firstLeft = labels.pairOneLeft;
        texts.firstRight = labels.pairOneRight;
        break;
    case BlockInHalf::PairTwo:
        texts.firstLeft = labels.pairTwoLeft;
        texts.firstRight = labels.pairTwoRight;
        break;
    case BlockInHalf::CombinedPractice:
    case BlockInHalf::CombinedRecorded:
        texts.firstLeft = labels.pairOneLeft;
        texts.firstRight = labels.pairOneRight;
        texts.connector = "and";
        texts.secondLeft = labels.pairTwoLeft;
        texts.lowerConnector = "or";
        texts.secondRight = labels.pairTwoRight;
        break;
    }
    texts.status = block == BlockInHalf::CombinedRecorded ? "real." : "practice.";
    return texts;
}

std::string blockTimeText(double totalLatencyMs)
{
    // Tenths of a second, rounded half up; a total that is not a finite number reads 0.0.
    double tenths = std::floor((totalLatencyMs + 50.0) / 100.0);
    if (!std::isfinite(tenths) || tenths < 0.0)
        tenths = 0.0;
    const long long t = static_cast<long long>(tenths);
    return std::to_string(t / 10) + "." + std::to_string(t % 10);
}

std::string percentText(double percentCorrect)
{
    // A percent that is not a finite number reads 0 as well.
    if (!std::isfinite(percentCorrect) || percentCorrect <= 0.0)
        return "0";
    return std::to_string(static_cast<long long>(std::trunc(percentCorrect)));
}
