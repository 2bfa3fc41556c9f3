#pragma once
// A run's category labels: from the list files named on its lines, looked for in the
// study folder, each read once; else from its subject log line's CatsL and CatsR. A
// pair whose labels stay unknown is a problem of the run, which says why.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/file_source.h"
#include "results/study_results.h"

class CategoryLabels {
public:
    // studyDirectory: where the list files are; empty: each run's data file's folder.
    // Each list file read is added to listFilesRead.
    CategoryLabels(const std::string& studyDirectory, const FileSource& files, std::vector<std::string>& listFilesRead);

    // The labels of every session of the run from its list files.
    void fromLists(RunRecord& run);
    // The labels the list files did not give, from the run's subject log line.
    static void fromLog(RunRecord& run);
    // A problem for each pair whose labels are still unknown.
    void reportUnknown(RunRecord& run);

private:
    struct Lookup {
        std::optional<std::array<std::string, 2>> labels;  // entry 0 of categories A and B
        std::string why;                                   // why not, when not
    };

    const Lookup& listLabels(const std::string& directory, const std::string& name);
    std::string listDirectoryOf(const RunRecord& run) const;

    std::string studyDirectory_;
    const FileSource& files_;
    std::vector<std::string>& listFilesRead_;
    std::map<std::string, Lookup> cache_;
};
