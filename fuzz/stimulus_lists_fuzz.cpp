// A word list file as the stimulus list editor opens it into its boxes (a UTF-16
// file leaves them as they were). Boxes the editor lets the experimenter save are
// boxes the file writer accepts, and the saved file opens into the same boxes again.

#include "files/stimulus_lists.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = "/lists/fuzz.wls";
    MemoryFiles files;
    files.add(path, std::string(bytesOf(data, size)));

    StimulusListDocument document;
    const StimulusListDocument::OpenOutcome opened = document.open(path, files);
    if (byteOrderMarkOf(bytesOf(data, size)) == ByteOrderMark::Utf16) {
        FUZZ_REQUIRE(!opened.opened && !opened.error.empty() && document.path().empty() &&
                     document.boxes() == StimulusListDocument().boxes());
        return 0;
    }
    FUZZ_REQUIRE(opened.opened && document.path() == path && document.asksBeforeReplacing());
    const StimulusListBoxes boxes = document.boxes();
    for (const CategoryBoxes& category : boxes.categories) {
        FUZZ_REQUIRE(itemCountOf(category.itemCount) <= maxItems);
        FUZZ_REQUIRE(category.label.size() <= entryCapacity);
        for (const std::string& item : category.items)
            FUZZ_REQUIRE(item.size() <= entryCapacity);
    }
    // Read within their capacities, the boxes pass the length checks of Exit.
    FUZZ_REQUIRE(!refusalToExit(boxes));

    const bool refused = document.checkForSave().has_value();
    document.refresh();
    FUZZ_REQUIRE(document.message().empty() != refused);
    if (refused)
        return 0;

    std::string bytes;
    std::string reason;
    FUZZ_REQUIRE(formatWordListFile(wordListFromBoxes(document.boxes()), bytes, reason));
    files.add(path, bytes);
    StimulusListDocument reopened;
    const StimulusListDocument::OpenOutcome again = reopened.open(path, files);
    FUZZ_REQUIRE(again.opened && again.problems.empty());
    FUZZ_REQUIRE(reopened.boxes() == document.boxes());
    return 0;
}
