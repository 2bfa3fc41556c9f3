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
    WriteOutcome outcome;
    const auto fail = [&](int error) {
        outcome.ok = false;
        outcome.error = "cannot write " + path + ": " + describeErrno(error);
        return outcome;
    };

    const std::string name = fileNameOf(path);
    if (name.empty())
        return fail(EISDIR);
    std::string directory = directoryOf(path);
    if (directory.empty())
        directory = path.empty() || path[0] != '/' ? "." : "/";

    // Created like any new file (0666 less the umask), not with mkstemp's 0600.
    std::string temporary;
    int fdNumber = -1;
    for (int attempt = 0; attempt < 100 && fdNumber < 0; ++attempt) {
        temporary = temporaryPathFor(directory, name);
        fdNumber = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fdNumber < 0 && errno != EEXIST)
            return fail(errno);
    }
    if (fdNumber < 0)
        return fail(EEXIST);

    Descriptor fd(fdNumber);
    int error = 0;
    if ((error = writeFully(fd.get(), bytes)) != 0) {
        // error set by writeFully
    } else if (::fsync(fd.get()) != 0) {
        error = errno;
    } else if ((error = fd.close()) != 0) {
        // error set by close
    } else if (::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        fd.close();
        ::unlink(temporary.c_str());
        return fail(error);
    }

    // Make the rename itself durable. The new file is in place by now, so a
    // failure here is not reported: the caller could not undo the replacement.
    Descriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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
