#include "results/study_results.h"

const char* blockRoleName(BlockRole role)
{
    switch (role) {
    case BlockRole::PairOnePractice:
        return "pair1_practice";
    case BlockRole::PairTwoPractice:
        return "pair2_practice";
    case BlockRole::CombinedPractice:
        return "combined_practice";
    case BlockRole::CombinedRecorded:
        return "combined_recorded";
    case BlockRole::Unknown:
        break;
    }
    return "unknown";
}
