#include "run/output_files.h"

#include "common/descriptor.h"

#include <cerrno>
#include <cstring>

#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string failure(const std::string& path, const std::string& what, int error)
{
    return "cannot write " + path + ": " + what + std::strerror(error);
}

// Waits for the exclusive lock on the whole file, growth included. Returns 0, or
// the error; ENOLCK (a network file system without a lock service) is returned too,
// and the caller writes without the lock rather than lose the lines.
int lockWholeFile(int fd)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    while (::fcntl(fd, F_SETLKW, &lock) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

// fsync, where the file system supports it at all.
int syncFile(int fd)
{
    if (::fsync(fd) == 0)
        return 0;
    return errno == EINVAL || errno == ENOTSUP ? 0 : errno;
}

void syncDirectoryOf(const std::string& path)
{
    std::string directory = directoryOf(path);
    if (directory.empty())
        directory = "/";
    Descriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
}

}  // namespace

std::optional<std::string> canAppendTo(const std::string& path)
{
    if (fileNameOf(path).empty())
        return "cannot write " + path + ": it names no file";
    // Only a regular file keeps what is appended: a directory, a device such as
    // /dev/null or /dev/full, a FIFO or a socket would lose or refuse the lines.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        const mode_t type = existing.st_mode & S_IFMT;
        const char* kind = type == S_IFDIR    ? "a directory"
                           : type == S_IFCHR  ? "a character device"
                           : type == S_IFBLK  ? "a block device"
                           : type == S_IFIFO  ? "a FIFO"
                           : type == S_IFSOCK ? "a socket"
                                              : "not a file";
        return "cannot write " + path + ": it is " + std::string(kind) + ", not a regular file";
    }
    // No O_CREAT: nothing is created. O_NONBLOCK keeps a FIFO without a reader from
    // blocking the test.
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        // An append reads the file's last byte to start its lines on a line of their
        // own after a line cut short; a file it may not read would have the run's
        // first line glued onto the cut one.
        const int readable = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (readable < 0 && errno == EACCES)
            return "cannot write " + path +
                   ": it may be written but not read, so the run cannot see how the file ends (allow reading it)";
        if (readable >= 0)
            ::close(readable);
        return std::nullopt;
    }
    if (const int error = errno; error != ENOENT)
        return failure(path, "", error);

    std::string directory = directoryOf(path);
    if (directory.empty())
        directory = "/";
    int error = 0;
    struct stat info {};
    if (::stat(directory.c_str(), &info) != 0)
        error = errno;
    else if (!S_ISDIR(info.st_mode))
        error = ENOTDIR;
    else if (::access(directory.c_str(), W_OK | X_OK) != 0)
        error = errno;
    if (error != 0)
        return failure(path, "directory " + directory + ": ", error);
    return std::nullopt;
}

namespace {

// The file at path opened for appending, and whether this call created it. Read
// access only serves to look at the file's last byte: a file that may be written but
// not read is still appended to (a run refuses one before it starts).
struct AppendTarget {
    Descriptor fd{-1};
    bool readable = true;
    bool created = false;
    int error = 0;
};

void openForAppending(const std::string& path, AppendTarget& target)
{
    // O_NONBLOCK: a FIFO in the file's place must not hang the run; it has no effect
    // on a regular file.
    constexpr int flags = O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    target.fd.reset(-1);
    // An existing file is opened as it is; a missing one is created exclusively, so
    // that this call knows the file is its own and may remove it again when nothing
    // could be written. Another writer creating it meanwhile sends the loop round.
    int error = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = -1;
        bool created = false;
        bool readable = true;
        for (const int access : {O_RDWR, O_WRONLY}) {
            readable = access == O_RDWR;
            fd = ::open(path.c_str(), access | flags);
            error = fd < 0 ? errno : 0;
            if (fd < 0 && error == ENOENT) {
                fd = ::open(path.c_str(), access | flags | O_CREAT | O_EXCL, 0666);
                error = fd < 0 ? errno : 0;
                created = fd >= 0;
            }
            if (fd >= 0 || error != EACCES)
                break;
        }
        if (fd >= 0) {
            target.fd.reset(fd);
            target.readable = readable;
            target.created = created;
            target.error = 0;
            return;
        }
        if (error != EEXIST)
            break;
    }
    target.error = error;
}

// True when path still names the open file: another writer that created it and
// could write nothing removes it again, under the lock, and this writer then opens
// the path anew rather than append to a file no path names.
bool stillNamed(const std::string& path, int fd)
{
    struct stat named {};
    struct stat open {};
    return ::stat(path.c_str(), &named) == 0 && ::fstat(fd, &open) == 0 && named.st_dev == open.st_dev &&
           named.st_ino == open.st_ino;
}

}  // namespace

WriteOutcome appendLines(const std::string& path, std::string_view header, const std::vector<std::string>& lines)
{
    WriteOutcome outcome;
    const auto fail = [&](const std::string& what, int error) {
        outcome.ok = false;
        outcome.error = failure(path, what, error);
        outcome.errorNumber = error;
        return outcome;
    };

    AppendTarget target;
    struct stat info {};
    for (int attempt = 0;; ++attempt) {
        openForAppending(path, target);
        if (!target.fd.valid())
            return fail("", target.error);
        if (::fstat(target.fd.get(), &info) != 0) {
            const int error = errno;
            return fail("", error);
        }
        if (!S_ISREG(info.st_mode))
            return fail("", EINVAL);
        if (const int error = lockWholeFile(target.fd.get()); error != 0 && error != ENOLCK)
            return fail("cannot lock it: ", error);
        if (stillNamed(path, target.fd.get()) || attempt == 7)
            break;
    }
    Descriptor& fd = target.fd;

    // Read the size under the lock: a writer that held it before has finished.
    if (::fstat(fd.get(), &info) != 0) {
        const int error = errno;
        return fail("", error);
    }
    const bool empty = info.st_size == 0;
    std::string bytes;
    if (empty) {
        bytes = header;
    } else {
        // A file that does not end with a line end holds a line cut short (a run
        // killed inside a write, or a file saved by hand without its last line end):
        // the new lines start on a line of their own, and the old bytes stay.
        char last = '\n';
        if (target.readable) {
            const ssize_t n = ::pread(fd.get(), &last, 1, info.st_size - 1);
            if (n != 1) {
                const int error = n < 0 ? errno : EIO;
                return fail("", error);
            }
        }
        if (last != '\n')
            bytes = "\r\n";
    }
    for (const std::string& line : lines)
        bytes += line;
    // One write(2) for all of it: the lock keeps cooperating writers out, O_APPEND
    // keeps even a writer without the lock from splitting it, and a process killed
    // meanwhile leaves the block either absent or whole, unless the kernel stopped
    // the copy at a page boundary, which the next append's line end then closes off.
    // A write or sync that fails part way (no space, a file size limit, an I/O error)
    // is undone while the lock is still held: the lines are in the file whole or not
    // at all, and the caller may keep them elsewhere without doubling them. A file
    // this call created and could not fill is removed again: a full disk leaves no
    // empty data file, subject log or rescue file behind.
    const auto undo = [&](const std::string& what, int error) {
        while (::ftruncate(fd.get(), info.st_size) != 0 && errno == EINTR) {
        }
        if (target.created && empty && stillNamed(path, fd.get()))
            ::unlink(path.c_str());
        syncFile(fd.get());
        return fail(what, error);
    };
    if (const int error = writeFully(fd.get(), bytes); error != 0)
        return undo("", error);
    if (const int error = syncFile(fd.get()); error != 0)
        return undo("cannot sync it to disk: ", error);
    // Closing releases the lock, after the lines have reached the file.
    if (const int error = fd.close(); error != 0)
        return fail("", error);
    if (empty)
        syncDirectoryOf(path);
    outcome.ok = true;
    return outcome;
}

WriteOutcome openDataFile(const std::string& dataPath) { return appendLines(dataPath, dataFileHeader(), {}); }

WriteOutcome writeDataLines(const std::string& dataPath, const SubjectRecord& subject, int session,
                            const SessionSettings& settings, int blockNumber, const TrialResults& results, int trials)
{
    return appendLines(dataPath, dataFileHeader(),
                       formatDataLines(subject, session, settings, blockNumber, results, trials));
}

WriteOutcome writeSubjectLog(const std::string& logPath, const SubjectRecord& subject,
                             const ExperimentDefinition& definition, const ScoreTable& scores)
{
    return appendLines(logPath, subjectLogHeader(definition.sessionCount),
                       {formatSubjectLogLine(subject, definition, scores)});
}

std::string rescueDirectory()
{
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        return joinPath(data, "truv/rescue");
    std::string home;
    if (const char* value = std::getenv("HOME"); value && value[0] == '/')
        home = value;
    else if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && entry->pw_dir[0] == '/')
        home = entry->pw_dir;
    if (home.empty())
        return {};
    return joinPath(home, ".local/share/truv/rescue");
}

std::string rescuePathFor(const std::string& outputPath, const LocalDateTime& start, long processId,
                          const std::string& directory)
{
    const std::string name = fileNameOf(outputPath);
    const auto dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string extension = dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, ".%04d-%02d-%02d_%02d-%02d-%02d.pid%ld", start.year, start.month, start.day,
                  start.hour, start.minute, start.second, processId);
    return joinPath(directory, stem + stamp + extension);
}

int makeDirectories(const std::string& directory)
{
    if (directory.empty())
        return ENOENT;
    struct stat info {};
    if (::stat(directory.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
    if (errno != ENOENT)
        return errno;
    const std::string parent = directoryOf(directory);
    if (!parent.empty() && parent != "." && parent != directory)
        if (const int error = makeDirectories(parent); error != 0)
            return error;
    if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST)
        return errno;
    return 0;
}
