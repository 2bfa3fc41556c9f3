#include "common/file_io.h"

#include "common/descriptor.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string describeErrno(int error) { return std::strerror(error); }

// A name for the temporary file that no other writer, in this process or another,
// is likely to pick; creation with O_EXCL settles any collision that remains. The
// target's name is shortened so that the temporary name stays within NAME_MAX.
std::string temporaryPathFor(const std::string& directory, const std::string& name)
{
    static std::atomic<unsigned> counter{0};
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return joinPath(directory, "." + name.substr(0, 100) + ".tmp-" + std::to_string(getpid()) + "-" +
                                   std::to_string(counter.fetch_add(1)) + "-" + std::to_string(now.tv_nsec));
}

}  // namespace

ReadOutcome readFileBytes(const std::string& path) { return readFileBytes(path, maxReadBytes); }

ReadOutcome readFileBytes(const std::string& path, std::size_t cap)
{
    // One byte is read past the cap, which must leave room for it.
    const std::size_t maxBytes = std::min(cap, SIZE_MAX - 1);
    ReadOutcome outcome;
    // O_NONBLOCK: a FIFO without a writer must not hang the reader; on a regular
    // file it changes nothing.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid()) {
        outcome.error = "cannot read " + path + ": " + describeErrno(errno);
        return outcome;
    }
    std::string bytes;
    // A large file is taken in one allocation of its size.
    struct stat info {};
    if (::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(info.st_size, maxBytes)) + 1);
    char buffer[64 * 1024];
    for (;;) {
        // One byte past the cap tells a file that is exactly maxBytes long from a
        // longer one.
        const std::size_t wanted = std::min(sizeof buffer, maxBytes + 1 - bytes.size());
        if (wanted == 0)
            break;
        const ssize_t n = ::read(fd.get(), buffer, wanted);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            outcome.error = "cannot read " + path + ": " + describeErrno(errno);
            return outcome;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    if (bytes.size() > maxBytes) {
        bytes.resize(maxBytes);
        outcome.truncated = true;
    }
    outcome.opened = true;
    outcome.bytes = std::move(bytes);
    return outcome;
}

WriteOutcome writeFileAtomically(const std::string& path, const std::string& bytes)
{
    AtomicFileWriter writer(path);
    writer.write(bytes);
    return writer.commit();
}

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path))
{
    const std::string name = fileNameOf(path_);
    if (name.empty()) {
        error_ = EISDIR;
        return;
    }
    directory_ = directoryOf(path_);
    if (directory_.empty())
        directory_ = path_.empty() || path_[0] != '/' ? "." : "/";
    // Created like any new file (0666 less the umask), not with mkstemp's 0600.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = temporaryPathFor(directory_, name);
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            error_ = errno;
            return;
        }
    }
    if (fd_ < 0)
        error_ = EEXIST;
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporary_.c_str());
    }
}

bool AtomicFileWriter::write(std::string_view bytes)
{
    if (error_ == 0 && fd_ >= 0)
        error_ = writeFully(fd_, bytes);
    return error_ == 0;
}

WriteOutcome AtomicFileWriter::commit()
{
    WriteOutcome outcome;
    if (error_ == 0 && fd_ >= 0) {
        if (::fsync(fd_) != 0)
            error_ = errno;
        Descriptor fd(fd_);
        fd_ = -1;
        if (error_ == 0)
            error_ = fd.close();
        if (error_ == 0 && ::rename(temporary_.c_str(), path_.c_str()) != 0)
            error_ = errno;
        if (error_ != 0)
            ::unlink(temporary_.c_str());
    }
    if (error_ != 0) {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
            ::unlink(temporary_.c_str());
        }
        outcome.error = "cannot write " + path_ + ": " + describeErrno(error_);
        outcome.errorNumber = error_;
        return outcome;
    }
    // Make the rename itself durable. The new file is in place by now, so a
    // failure here is not reported: the caller could not undo the replacement.
    Descriptor dir(::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
    outcome.ok = true;
    return outcome;
}

std::string directoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    // A bare name lies in the working directory; "/name" in the root, whose part
    // before the separator is empty (joinPath puts the separator back).
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joinPath(const std::string& directory, const std::string& name)
{
    // A directory given with its trailing "/" (such as the root "/") gets no second one.
    if (!directory.empty() && directory.back() == '/')
        return directory + name;
    return directory + "/" + name;
}
