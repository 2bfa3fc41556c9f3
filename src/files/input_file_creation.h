#pragma once
// The rules of "Create New Input File": the experiment-wide entries of the Input File
// dialog, the category pair lines of the session dialog and what a chosen line
// stands for, the checks with their messages, and the definition they build.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"
#include "files/input_file.h"
#include "files/list_catalogue.h"

// The instruction path box holds a full path; only the name after its last "/" is
// stored, and that name has the capacity of instructionFileNameCapacity.
inline constexpr std::size_t instructionPathCapacity = 255;

// What the number boxes of the session dialog show at every showing.
inline constexpr int presetDelay = 150;
inline constexpr int presetPractice = 20;
inline constexpr int presetReal = 40;

inline constexpr const char* instructionExtensionMessage = "Error:  Need to specify an instruction file (*.bgi)";
inline constexpr const char* samePairMessage =
    "ERROR:  Do not select the same category pair for category pair 1 and category pair 2";
inline constexpr const char* tooFewListFilesMessage =
    "Error:  the directory of the input file needs at least two list files (*.wls or *.qls).";

// ---- The Input File dialog ----

// The instruction path box's first text: the input file's directory with its
// trailing "/" ("/" for a file in the root).
std::string instructionPathPreset(std::string_view inputPath);

// The text after the last "/" of a path, the whole text when it has none.
std::string instructionFileNameOf(std::string_view instructionPath);

// The field checks of Continue, with the standard messages: the session count an
// integer from 1 to 9 and the path at most 255 characters.
std::optional<std::string> checkInputFileFields(std::string_view instructionPath, std::string_view sessionCountText,
                                                int& sessionCount);

// The error line for an instruction path (single-byte text), or nothing when it can
// be used: the text after its last "." must be exactly "bgi", and the file name must
// fit the input file (at most 40 characters, no white space). The file itself is not
// looked for.
std::optional<std::string> instructionPathRefusal(std::string_view instructionPath);

struct ExperimentEntries {
    std::string instructionPath;  // single-byte text: the path, or just its name
    int sessionCount = 1;
    bool tutorialIncluded = true;
    bool editListsIncluded = true;
};

// The definition before the first dialog: every session at its defaults (Catsw 1,
// Delay 0, nPrac 20, nReal 40) and both flags 1.
ExperimentDefinition newExperimentDefinition();

// Takes the experiment-wide entries into the definition: the instruction file name
// (the path's text after its last "/"), the session count and the two flags.
void applyExperimentEntries(const ExperimentEntries& entries, ExperimentDefinition& definition);

// ---- The session dialog ----

inline constexpr int noSelection = -1;

// The lines of both category pair list boxes (single-byte text): for each catalogue
// file in catalogue order "A-B", then "B-A", from its two labels.
std::vector<std::string> categoryPairLines(const ListCatalog& catalog);

// The line a list box stands for: its selection, or without one line 1 for pair 1
// and line 2 for pair 2.
int chosenPosition(int selectedPosition, int pairNumber);

// The line selected when the dialog is first shown: the line the no-selection rule
// would take, or none when the list is that short.
int initialPosition(int pairNumber, int lineCount);

// The line chosen at the previous showing, found again by its text: the same position
// when it still holds that text, else the first line with it, else none.
int findLineAgain(const std::vector<std::string>& lines, int previousPosition, std::string_view previousText);

struct CategoryPairChoice {
    int fileIndex = 0;  // catalogue position
    int order = 0;      // 0: "aa-bb", 1: "bb-aa"
};

// Line 2k is catalogue file k in file order, line 2k + 1 the same file reversed.
CategoryPairChoice choiceAt(int position);

// The error line when the catalogue holds fewer than two list files, else nothing.
std::optional<std::string> listFilesRefusal(const ListCatalog& catalog);

struct SessionEntries {
    int position1 = noSelection;  // selected line of "Category Pair 1"
    int position2 = noSelection;
    int switchChoice = noSelection;  // 0: "Pair 1", 1: "Pair 2", or none chosen
    int delay = presetDelay;
    int nPrac = presetPractice;
    int nReal = presetReal;
};

// The field checks of OK with the standard messages: the delay 0 to 999, both trial
// counts 0 to 100. The values go into entries.
std::optional<std::string> checkSessionFields(std::string_view delayText, std::string_view practiceText,
                                              std::string_view realText, SessionEntries& entries);

// Takes one showing's entries into the session, or gives the error line and leaves
// the session as it was: both pairs from one file, or a line without a file behind
// it. Catsw keeps the session's value when no switch choice was made.
std::optional<std::string> applySessionEntries(const ListCatalog& catalog, const SessionEntries& entries,
                                               SessionSettings& session);

// ---- The instruction file after the input file is written ----

// Where a run of the new input file looks for its instruction file, and whether the
// experimenter is offered a copy there. Paths are file-system bytes.
struct InstructionFilePlacement {
    std::string chosenPath;  // the instruction file as typed or chosen
    std::string runPath;     // the input file's folder and the instruction file's name
    bool offerCopy = false;  // the path names another folder, and nothing of that name is where the run looks
};

// instructionPath as typed or chosen: a bare name stands for the input file's folder.
InstructionFilePlacement placeInstructionFile(const std::string& inputPath, const std::string& instructionPath);

// Copies from to to, never over anything at to: the copy is written beside to and
// renamed into place in one step. Refused, saying why, when something of that name
// is at to, or from cannot be read whole.
WriteOutcome copyWithoutReplacing(const std::string& from, const std::string& to);
