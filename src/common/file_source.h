#pragma once
// Where the readers of a study take their files from: the disk when a study is run
// or checked, memory when tests and fuzzers feed bytes directly. The memory source
// answers exactly as the disk would for the same files.

#include <map>
#include <string>
#include <vector>

#include "common/file_io.h"

class FileSource {
public:
    virtual ~FileSource() = default;

    // As fileExists: a file the run can use (not a directory, not read-only).
    virtual bool exists(const std::string& path) const = 0;
    // As readFileBytes, with its cap.
    virtual ReadOutcome read(const std::string& path) const = 0;
    // The names of the regular files in directory, in no particular order.
    virtual std::vector<std::string> namesIn(const std::string& directory) const = 0;
};

// The file system.
const FileSource& diskFiles();

// Files held in memory by path.
class MemoryFiles final : public FileSource {
public:
    void add(const std::string& path, std::string bytes) { files_[path] = std::move(bytes); }

    bool exists(const std::string& path) const override;
    ReadOutcome read(const std::string& path) const override;
    std::vector<std::string> namesIn(const std::string& directory) const override;

private:
    std::map<std::string, std::string> files_;
};
