#pragma once
// The stimulus list editor's document: the boxes of one category pair as the
// experimenter typed them, the current file, the message line, and the rules that
// turn the boxes into a word list file and a word list file into boxes.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "common/file_io.h"
#include "common/file_source.h"
#include "common/problems.h"
#include "files/word_list.h"

// Characters a "# of items" box takes.
inline constexpr std::size_t itemCountBoxCapacity = 3;

// The texts of one category's boxes, single-byte (Windows-1252).
struct CategoryBoxes {
    std::string label;
    std::string itemCount;                    // the "# of items" box
    std::array<std::string, maxItems> items;  // items[k - 1] is item box k

    friend bool operator==(const CategoryBoxes&, const CategoryBoxes&) = default;
};

struct StimulusListBoxes {
    std::array<CategoryBoxes, 2> categories;  // A, then B

    friend bool operator==(const StimulusListBoxes&, const StimulusListBoxes&) = default;
};

// One box of the editor, for messages and for putting the cursor there.
struct BoxRef {
    enum Kind { Label, ItemCount, Item };
    int category = 0;  // 0 for A, 1 for B
    Kind kind = Label;
    int item = 0;  // 1 to 18 for an item box

    friend bool operator==(const BoxRef&, const BoxRef&) = default;
};

// A box whose text the editor refuses, and what it says about it.
struct BoxRefusal {
    BoxRef box;
    std::string message;
};

inline constexpr std::string_view itemCountMessage =
    "ERROR: The number in the \"# of items\" box must equal the number of words before your list can be saved.";
inline constexpr std::string_view replaceWarning =
    "Any data currently on screen will be overwritten whether or not it has been saved.";

// The number a "# of items" box stands for: its leading decimal digits; an empty box,
// or one that does not start with a digit, stands for 0.
int itemCountOf(std::string_view box);

// The non-empty item boxes of a category.
int filledItemCount(const CategoryBoxes& category);

// The boxes that show a word list: the labels, each "# of items" as its entry count
// less the label, entry k in item box k.
StimulusListBoxes boxesFromWordList(const WordList& list);

// The items of a category in box order without the empty boxes between them.
std::array<std::string, maxItems> withoutGaps(const std::array<std::string, maxItems>& items);

// The word list a save writes: per category the label, the filled items moved up to
// the first entries, and the entry count "# of items" plus one. Only meaningful for
// boxes that refusalToSave accepts.
WordList wordListFromBoxes(const StimulusListBoxes& boxes);

// Why the boxes cannot be saved, or nothing. First the count check (each category's
// "# of items" must equal its filled item boxes); then each box in screen order:
// more than 15 characters or white space would read back cut or split into several
// entries, and a category without a label would read back shifted.
std::optional<BoxRefusal> refusalToSave(const StimulusListBoxes& boxes);

// The length checks that Exit applies: a label or item box over 15 characters, a
// "# of items" box over 3, with the standard message; the first such box in screen
// order, or nothing.
std::optional<BoxRefusal> refusalToExit(const StimulusListBoxes& boxes);

// What the editor works on between its opening and its end.
class StimulusListDocument {
public:
    // Outcome of open(): opened false when the file could not be read (the document
    // is then as it was); problems are whatever the reader had to cut or clamp.
    struct OpenOutcome {
        bool opened = false;
        std::string error;
        Problems problems;
    };

    // A new editor: empty boxes, no file, nothing asked before the first New or Open.
    StimulusListDocument() = default;

    const StimulusListBoxes& boxes() const { return boxes_; }
    const std::string& path() const { return path_; }
    const std::string& message() const { return message_; }

    // New and Open ask before replacing the screen, except the first New or Open that
    // goes through after the editor opened.
    bool asksBeforeReplacing() const { return !fresh_; }

    // Takes the boxes as the experimenter left them.
    void takeBoxes(const StimulusListBoxes& boxes) { boxes_ = boxes; }

    // Empty boxes with both "# of items" at "0", no file.
    void newList();

    // Reads a word list file into the boxes; a file that cannot be read changes nothing.
    OpenOutcome open(const std::string& path, const FileSource& source = diskFiles());

    // The check before the file dialog: on a refusal the message line says why and
    // the next refresh keeps it.
    std::optional<BoxRefusal> checkForSave();

    // Writes the boxes to path, replacing the file in one step; on success path is the
    // current file. Call only after checkForSave accepted the boxes.
    WriteOutcome saveTo(const std::string& path);

    // After a save, refused or not: the message line is emptied unless the save was
    // refused, and each "# of items" box shows its number in decimal.
    void refresh();

private:
    StimulusListBoxes boxes_;
    std::string path_;
    std::string message_;
    bool fresh_ = true;
    bool refused_ = false;
};
