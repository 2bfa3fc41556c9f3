#pragma once
// Where the readers of a study take their files from: the disk when a study is run
// or checked, memory when tests and fuzzers feed bytes directly. The memory source
// answers exactly as the disk would for the same files.

#include <map>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/problems.h"

// A study file read as the program's single-byte text.
struct TextReadOutcome : ReadOutcome {
    // What kept the text from being read as the file was saved (a UTF-16 file, or a
    // character without a single-byte form), a sentence without the file's name;
    // empty when the file was read as it is.
    std::string encodingProblem;
    // The file's encoding cannot be read at all: bytes is empty.
    bool encodingRefused = false;

    // Puts the encoding problem, behind prefix, first among a reader's problems. A
    // refused file's reader parsed only an empty stand-in: what it found there is dropped.
    void noteEncodingProblem(const std::string& prefix, Problems& problems) const;
};

class FileSource {
public:
    virtual ~FileSource() = default;

    // As fileExists: a file the run can use (not a directory, not read-only).
    virtual bool exists(const std::string& path) const = 0;
    // As fileAbsenceReason: why a file that exists() refuses cannot be used; "" when
    // it is simply not there. Files in memory are there or not.
    virtual std::string absenceReason(const std::string&) const { return {}; }
    // As readFileBytes, with its cap.
    virtual ReadOutcome read(const std::string& path) const = 0;
    // As read, with a cap of the caller's.
    virtual ReadOutcome readUpTo(const std::string& path, std::size_t maxBytes) const = 0;
    // As read, for the readers of study files. A file that starts with the UTF-8 byte
    // order mark was saved as UTF-8 by a text editor: it is converted to Windows-1252
    // without its mark. One that starts with a UTF-16 mark is refused. A file without
    // a mark is given byte for byte.
    TextReadOutcome readText(const std::string& path) const;
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
    ReadOutcome readUpTo(const std::string& path, std::size_t maxBytes) const override;
    std::vector<std::string> namesIn(const std::string& directory) const override;

private:
    std::map<std::string, std::string> files_;
};
