#pragma once
// Where the readers of a study take their files from: the disk when a study is run
// or checked, memory when tests and fuzzers feed bytes directly. The memory source
// answers exactly as the disk would for the same files.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
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

// A file opened to be read piece by piece, through a buffer of the reader's.
class FileStream {
public:
    virtual ~FileStream() = default;
    // Reads up to size bytes into buffer: how many were read, 0 at the file's end, -1
    // when the read failed, with the reason in error ("cannot read <path>: ...").
    virtual std::int64_t read(char* buffer, std::size_t size, std::string& error) = 0;
};

struct StreamOutcome {
    std::unique_ptr<FileStream> stream;  // null: not opened, error says why
    bool missing = false;                // nothing at all is there (not even a link)
    std::int64_t size = 0;               // the file's size when it was opened
    std::string error;                   // "cannot read <path>: <reason>"
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
    // Opens a regular file to be read piece by piece. Anything else (a directory, a
    // FIFO, a device, a socket) is refused with what it is: told by its type before the
    // open and again on the file opened, which is opened without blocking, so that a
    // FIFO put in its place in between cannot hang the reader either.
    virtual StreamOutcome openStream(const std::string& path) const = 0;
    // What tells the file a path names from every other: two paths of one file (hard
    // and symbolic links, another spelling) give the same key. "" when nothing is there.
    virtual std::string fileKey(const std::string& path) const = 0;
    // The path with every symbolic link in it followed; the path as it is where it
    // cannot be followed. Files in memory have no links.
    virtual std::string resolvedPath(const std::string& path) const { return path; }
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
    // The most bytes one read of a stream gives (a disk's reads may come in pieces of
    // any size).
    void setStreamPieceBytes(std::size_t bytes) { pieceBytes_ = bytes > 0 ? bytes : 1; }

    bool exists(const std::string& path) const override;
    ReadOutcome read(const std::string& path) const override;
    StreamOutcome openStream(const std::string& path) const override;
    std::string fileKey(const std::string& path) const override;
    std::vector<std::string> namesIn(const std::string& directory) const override;

private:
    std::map<std::string, std::string> files_;
    std::size_t pieceBytes_ = 64 * 1024;
};
