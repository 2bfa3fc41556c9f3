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

std::string runSubjectText(int subject, const std::string& sex, const std::string& other, std::string_view inputFile)
{
    std::string who = "subject " + std::to_string(subject);
    if (!sex.empty())
        who += ", sex " + sex;
    if (!other.empty())
        who += ", other code " + other;
    return who + ", input file " + std::string(inputFile);
}

std::string countedText(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}
