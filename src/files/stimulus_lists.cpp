#include "files/stimulus_lists.h"

#include <algorithm>

#include "common/bounded_text.h"
#include "common/field_checks.h"
#include "common/study_file.h"

namespace {

char categoryLetter(int category) { return category == 0 ? 'A' : 'B'; }

std::string boxName(const BoxRef& box)
{
    const std::string category = std::string("Category ") + categoryLetter(box.category);
    switch (box.kind) {
    case BoxRef::Label:
        return "The \"Category Label\" box of " + category;
    case BoxRef::ItemCount:
        return "The \"# of items\" box of " + category;
    case BoxRef::Item:
        break;
    }
    return "Item box " + std::to_string(box.item) + " of " + category;
}

// Calls visit(box, text) for the label and item boxes of both categories in screen
// order; stops at the first call that returns a refusal.
template <typename Visit>
std::optional<BoxRefusal> firstRefusal(const StimulusListBoxes& boxes, Visit visit)
{
    for (int c = 0; c < 2; ++c) {
        const CategoryBoxes& category = boxes.categories[c];
        if (auto refusal = visit(BoxRef{c, BoxRef::Label, 0}, category.label))
            return refusal;
        for (int k = 1; k <= maxItems; ++k) {
            if (auto refusal = visit(BoxRef{c, BoxRef::Item, k}, category.items[k - 1]))
                return refusal;
        }
    }
    return std::nullopt;
}

std::optional<BoxRefusal> entryRefusal(const BoxRef& box, const std::string& text)
{
    if (text.size() > entryCapacity)
        return BoxRefusal{box, "ERROR: " + boxName(box) + " holds more than " + std::to_string(entryCapacity) +
                                   " characters; shorten it before your list can be saved."};
    if (containsWhiteSpace(text))
        return BoxRefusal{box, "ERROR: " + boxName(box) +
                                   " contains a space; each label and item must be one word before your list can "
                                   "be saved."};
    return std::nullopt;
}

}  // namespace

int itemCountOf(std::string_view box)
{
    int value = 0;
    for (const char c : box) {
        if (c < '0' || c > '9')
            break;
        // A box holds three characters; a longer text only has to stay in range.
        value = std::min(value * 10 + (c - '0'), 1000000);
    }
    return value;
}

int filledItemCount(const CategoryBoxes& category)
{
    return static_cast<int>(std::count_if(category.items.begin(), category.items.end(),
                                          [](const std::string& item) { return !item.empty(); }));
}

StimulusListBoxes boxesFromWordList(const WordList& list)
{
    StimulusListBoxes boxes;
    const auto fill = [](CategoryBoxes& category, const Entries& entries, int entryCount) {
        category.label = entries[0].str();
        category.itemCount = std::to_string(std::max(entryCount - 1, 0));
        for (int k = 1; k <= maxItems; ++k)
            category.items[k - 1] = entries[k].str();
    };
    fill(boxes.categories[0], list.entriesA, list.entryCountA);
    fill(boxes.categories[1], list.entriesB, list.entryCountB);
    return boxes;
}

std::array<std::string, maxItems> withoutGaps(const std::array<std::string, maxItems>& items)
{
    std::array<std::string, maxItems> closed;
    std::size_t next = 0;
    for (const std::string& item : items) {
        if (!item.empty())
            closed[next++] = item;
    }
    return closed;
}

WordList wordListFromBoxes(const StimulusListBoxes& boxes)
{
    WordList list;
    const auto fill = [](const CategoryBoxes& category, Entries& entries, int& entryCount) {
        entries[0].assign(category.label);
        const std::array<std::string, maxItems> items = withoutGaps(category.items);
        for (int k = 1; k <= maxItems; ++k)
            entries[k].assign(items[k - 1]);
        entryCount = itemCountOf(category.itemCount) + 1;
    };
    fill(boxes.categories[0], list.entriesA, list.entryCountA);
    fill(boxes.categories[1], list.entriesB, list.entryCountB);
    return list;
}

std::optional<BoxRefusal> refusalToSave(const StimulusListBoxes& boxes)
{
    for (int c = 0; c < 2; ++c) {
        const CategoryBoxes& category = boxes.categories[c];
        if (itemCountOf(category.itemCount) != filledItemCount(category))
            return BoxRefusal{BoxRef{c, BoxRef::ItemCount, 0}, std::string(itemCountMessage)};
    }
    if (auto refusal = firstRefusal(boxes, entryRefusal))
        return refusal;
    for (int c = 0; c < 2; ++c) {
        if (boxes.categories[c].label.empty())
            return BoxRefusal{BoxRef{c, BoxRef::Label, 0},
                              std::string("ERROR: Category ") + categoryLetter(c) +
                                  " needs a word in its \"Category Label\" box before your list can be saved."};
    }
    return std::nullopt;
}

std::optional<BoxRefusal> refusalToExit(const StimulusListBoxes& boxes)
{
    for (int c = 0; c < 2; ++c) {
        const CategoryBoxes& category = boxes.categories[c];
        if (auto message = checkTextLength(category.label, entryCapacity))
            return BoxRefusal{BoxRef{c, BoxRef::Label, 0}, *message};
        if (auto message = checkTextLength(category.itemCount, itemCountBoxCapacity))
            return BoxRefusal{BoxRef{c, BoxRef::ItemCount, 0}, *message};
        for (int k = 1; k <= maxItems; ++k) {
            if (auto message = checkTextLength(category.items[k - 1], entryCapacity))
                return BoxRefusal{BoxRef{c, BoxRef::Item, k}, *message};
        }
    }
    return std::nullopt;
}

void StimulusListDocument::newList()
{
    boxes_ = StimulusListBoxes{};
    for (CategoryBoxes& category : boxes_.categories)
        category.itemCount = "0";
    path_.clear();
    message_.clear();
    refused_ = false;
    fresh_ = false;
}

StimulusListDocument::OpenOutcome StimulusListDocument::open(const std::string& path, const FileSource& source)
{
    OpenOutcome outcome;
    const StudyFileText file = readStudyFileForEditing(path, "word list", source);
    // A file the editor cannot read leaves the boxes as they are.
    if (!file.opened) {
        outcome.error = file.error;
        return outcome;
    }
    WordList list;
    parseWordListFile(file.bytes, file.fileName, list);
    outcome.opened = true;
    outcome.problems = list.problems;
    file.noteProblems(outcome.problems);
    boxes_ = boxesFromWordList(list);
    path_ = path;
    message_.clear();
    refused_ = false;
    fresh_ = false;
    return outcome;
}

std::optional<BoxRefusal> StimulusListDocument::checkForSave()
{
    std::optional<BoxRefusal> refusal = refusalToSave(boxes_);
    if (refusal) {
        message_ = refusal->message;
        refused_ = true;
    }
    return refusal;
}

WriteOutcome StimulusListDocument::saveTo(const std::string& path)
{
    // The file's own rules are checked once more as it is written: nothing that would
    // read back differently reaches the disk.
    const WriteOutcome outcome = writeWordListFile(wordListFromBoxes(boxes_), path);
    if (outcome)
        path_ = path;
    return outcome;
}

void StimulusListDocument::refresh()
{
    if (!refused_)
        message_.clear();
    for (CategoryBoxes& category : boxes_.categories)
        category.itemCount = std::to_string(itemCountOf(category.itemCount));
    refused_ = false;
}
