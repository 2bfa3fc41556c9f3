#include "files/word_list_review.h"

#include <algorithm>

namespace {

// Keeps the label in entry 0 and copies the non-empty items, in order, right after
// it, clearing the rest; returns the entry count, the label included. The label
// keeps its place even when it is empty, so that an item never becomes a label.
int pack(const Entries& list, Entries& packed)
{
    Entries result{};
    result[0] = list[0];
    int count = 1;
    for (std::size_t i = 1; i < list.size(); ++i)
        if (!list[i].empty())
            result[count++] = list[i];
    packed = result;
    return count;
}

}  // namespace

std::string reviewInstructionText(std::string_view labelA, std::string_view labelB, int wording)
{
    const std::string qA = "\"" + std::string(labelA) + "\"";
    const std::string qB = "\"" + std::string(labelB) + "\"";
    const char* sentence = wording == wordingMisspelled ? "Also, double-click on any words that are misspelled.  "
                                                        : "Also, double-click on any words that seem unfamiliar.  ";
    return "Here are two categories of words that will be used in the Categorization Task.  The words are either " +
           qA + " or " + qB + ".  Check them over, and double-click on any items in the " + qA +
           " list that don't seem particularly " + qA + " to you, and double-click on any items in the " + qB +
           " list that don't seem particularly " + qB + " to you.  " + sentence +
           "These items will be deleted from the list.  Leave a minimum of 5 words in each list.";
}

ListReviewState::ListReviewState(const Entries& a, int entryCountA, const Entries& b, int entryCountB, int wording)
    : a_(a),
      b_(b),
      wordsA_(std::max(0, entryCountA - 1)),
      wordsB_(std::max(0, entryCountB - 1)),
      instruction_(reviewInstructionText(a[0].view(), b[0].view(), wording))
{
}

bool ListReviewState::removeLine(int list, int line)
{
    if (line < 0 || line >= maxItems)
        return false;
    Entries& entries = list == 0 ? a_ : b_;
    int& words = list == 0 ? wordsA_ : wordsB_;
    Entry& entry = entries[line + 1];
    // Only the clicked entry goes, so a list that holds a word twice still keeps
    // five words.
    if (words <= reviewWordFloor || entry.empty())
        return false;
    entry.clear();
    --words;
    return true;
}

ReviewCounts reviewWordLists(ReviewScreens& screens, Entries& listA, Entries& packedA, Entries& listB, Entries& packedB,
                             int wording, int entryCountA, int entryCountB, int reviewAllowed)
{
    // An entry count above five means five words or more in that list.
    const bool due = reviewAllowed == 1 && (entryCountA > reviewWordFloor || entryCountB > reviewWordFloor);
    if (due) {
        const ListReviewState state(listA, entryCountA, listB, entryCountB, wording);
        if (auto edited = screens.reviewLists(state)) {
            listA = edited->first;
            listB = edited->second;
        }
    }
    return {pack(listA, packedA), pack(listB, packedB)};
}
