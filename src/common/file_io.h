#pragma once
// Whole-file reads and atomic whole-file writes. The stored formats are small, so a
// reader takes the file into memory (up to a cap that no valid file comes near) and
// parses from there; a writer builds the bytes first and then replaces the file in
// one step, so a failed write never leaves a half-written or emptied file behind.

#include <cstddef>
#include <string>
#include <string_view>

// More than any valid file of the program holds; a larger file is read only up to it.
inline constexpr std::size_t maxReadBytes = 4 * 1024 * 1024;

struct ReadOutcome {
    bool opened = false;     // false: the file could not be opened; error says why
    bool truncated = false;  // the file was larger than maxReadBytes and was cut there
    std::string bytes;
    std::string error;
};

ReadOutcome readFileBytes(const std::string& path);
// The same with a cap of the caller's, for files that grow with use (a study's data
// files hold a line per trial of every run).
ReadOutcome readFileBytes(const std::string& path, std::size_t maxBytes);

struct WriteOutcome {
    bool ok = false;
    std::string error;    // "cannot write <path>: <reason>" when not ok
    int errorNumber = 0;  // the system's error (ENOSPC for a full disk), 0 when unknown
    explicit operator bool() const { return ok; }
};

// Writes bytes to a temporary file in the same directory, syncs it, and renames it
// over path. On failure the previous file (if any) is left as it was and no
// temporary file remains.
WriteOutcome writeFileAtomically(const std::string& path, const std::string& bytes);

// The same, for a file written piece by piece (an export of hundreds of megabytes
// need not be held whole): the pieces go to the temporary file as they come, and
// commit syncs it and renames it over path. Until then path is untouched; a writer
// dropped without a commit, or whose write failed, removes its temporary file.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False once anything has failed; the failure is reported by commit.
    bool write(std::string_view bytes);
    WriteOutcome commit();

private:
    std::string path_;
    std::string directory_;
    std::string temporary_;
    int fd_ = -1;
    int error_ = 0;
};

// The directory part of a path (up to, not including, its last "/"), and the name
// after it. A path without "/" lies in ".", a path in the root has the empty
// directory, and joinPath("", name) is "/name".
std::string directoryOf(const std::string& path);
std::string fileNameOf(const std::string& path);
// The directory, a "/" and the name.
std::string joinPath(const std::string& directory, const std::string& name);
