#include "common/file_existence.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// No O_CREAT: the test must never create the file. A directory fails with
// EISDIR; O_NONBLOCK keeps a FIFO without a reader from blocking the open.
int openForAppending(const std::string& path)
{
    return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

// A kind of file that is never opened for appending; nothing for a regular file or
// a directory, whose open error says enough.
const char* specialKind(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "a named pipe (FIFO), not a regular file";
    if (S_ISSOCK(mode))
        return "a socket, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device, not a regular file";
    return nullptr;
}

}  // namespace

bool fileExists(const std::string& path)
{
    const int fd = openForAppending(path);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

std::string fileAbsenceReason(const std::string& path)
{
    const int fd = openForAppending(path);
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
    const int openError = errno;
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0) {
        if (const char* kind = specialKind(target.st_mode))
            return std::string("exists, but: ") + kind;
        return std::string("exists, but: ") + std::strerror(openError);
    }
    if (openError == ENOENT) {
        struct stat link {};
        if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            return "exists, but: a symbolic link to a file that is not there";
        return {};
    }
    return std::strerror(openError);
}

std::string pathWithReason(const std::string& path, const std::string& reason)
{
    return reason.empty() ? path : path + " (" + reason + ")";
}
