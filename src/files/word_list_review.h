#pragma once
// The participant's review of one category pair: both lists side by side, where a
// double-click removes a word that does not fit, that is unknown or misspelled;
// each list keeps at least five words. The lists come back packed, with counts.

#include <optional>
#include <string>
#include <utility>

#include "files/word_list.h"

inline constexpr int reviewWordFloor = 5;

// 0: the "misspelled" sentence; any other value: the "unfamiliar" sentence.
inline constexpr int wordingMisspelled = 0;
inline constexpr int wordingUnfamiliar = 1;

// The review's instruction text for the two labels and the wording.
std::string reviewInstructionText(std::string_view labelA, std::string_view labelB, int wording);

// What the review dialog holds and does: copies of both lists, their word counts
// (entry count minus one), the labels and the instruction text.
class ListReviewState {
public:
    ListReviewState(const Entries& a, int entryCountA, const Entries& b, int entryCountB, int wording);

    const Entries& entries(int list) const { return list == 0 ? a_ : b_; }
    int wordCount(int list) const { return list == 0 ? wordsA_ : wordsB_; }
    std::string_view label(int list) const { return entries(list)[0].view(); }
    const std::string& instruction() const { return instruction_; }

    // A double-click on line (0 to 17, item entry line + 1) of list (0 = A, 1 = B).
    // When the list holds more than five words and the line is not empty, blanks
    // that one entry and lowers the count by one; returns whether it did.
    bool removeLine(int list, int line);

private:
    Entries a_;
    Entries b_;
    int wordsA_;
    int wordsB_;
    std::string instruction_;
};

// The screen of the review. Returns the edited entries of both lists when it is
// closed with OK, nothing when it is closed with Escape.
class ReviewScreens {
public:
    virtual ~ReviewScreens() = default;
    virtual std::optional<std::pair<Entries, Entries>> reviewLists(const ListReviewState& state) = 0;
};

struct ReviewCounts {
    int countA = 0;
    int countB = 0;
};

// Shows the review when it is allowed (reviewAllowed == 1) and one entry count
// exceeds five; copies the dialog's entries back on OK; in every case packs both
// lists into packedA and packedB and returns their entry counts.
ReviewCounts reviewWordLists(ReviewScreens& screens, Entries& listA, Entries& packedA, Entries& listB, Entries& packedB,
                             int wording, int entryCountA, int entryCountB, int reviewAllowed);
