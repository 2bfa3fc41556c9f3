#include "common/file_source.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/descriptor.h"
#include "common/file_existence.h"
#include "common/text_codec.h"
#include "platform/directory_listing.h"

namespace {

// What a file that is not a regular one is; nullptr for a regular file.
const char* irregularKind(mode_t mode)
{
    switch (mode & S_IFMT) {
    case S_IFREG:
        return nullptr;
    case S_IFDIR:
        return "a directory";
    case S_IFIFO:
        return "a FIFO (named pipe)";
    case S_IFCHR:
        return "a character device";
    case S_IFBLK:
        return "a block device";
    case S_IFSOCK:
        return "a socket";
    default:
        return "not a file";
    }
}

class DiskStream final : public FileStream {
public:
    DiskStream(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

    std::int64_t read(char* buffer, std::size_t size, std::string& error) override
    {
        for (;;) {
            const ssize_t n = ::read(fd_.get(), buffer, size);
            if (n >= 0)
                return n;
            if (errno != EINTR) {
                error = "cannot read " + path_ + ": " + std::strerror(errno);
                return -1;
            }
        }
    }

private:
    Descriptor fd_;
    std::string path_;
};

class DiskFiles final : public FileSource {
public:
    bool exists(const std::string& path) const override { return fileExists(path); }
    std::string absenceReason(const std::string& path) const override { return fileAbsenceReason(path); }
    ReadOutcome read(const std::string& path) const override { return readFileBytes(path); }

    StreamOutcome openStream(const std::string& path) const override
    {
        StreamOutcome outcome;
        const auto fail = [&](const std::string& reason) {
            outcome.error = "cannot read " + path + ": " + reason;
            return std::move(outcome);
        };
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            const int error = errno;
            struct stat link {};
            outcome.missing = error == ENOENT && ::lstat(path.c_str(), &link) != 0;
            return fail(error == ENOENT && !outcome.missing ? "it is a symbolic link to a file that is not there"
                                                            : std::strerror(error));
        }
        if (const char* kind = irregularKind(info.st_mode))
            return fail(std::string("it is ") + kind + ", not a regular file");
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0)
            return fail(std::strerror(errno));
        auto stream = std::make_unique<DiskStream>(fd, path);
        // The file opened may not be the one looked at.
        if (::fstat(fd, &info) != 0)
            return fail(std::strerror(errno));
        if (const char* kind = irregularKind(info.st_mode))
            return fail(std::string("it is ") + kind + ", not a regular file");
        outcome.size = info.st_size;
        outcome.stream = std::move(stream);
        return outcome;
    }

    std::string fileKey(const std::string& path) const override
    {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            return {};
        return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    }

    std::string resolvedPath(const std::string& path) const override
    {
        char* resolved = ::realpath(path.c_str(), nullptr);
        if (resolved == nullptr)
            return path;
        std::string result(resolved);
        std::free(resolved);
        return result;
    }

    std::vector<std::string> namesIn(const std::string& directory) const override
    {
        return listDirectory(directory, {});
    }
};

class MemoryStream final : public FileStream {
public:
    MemoryStream(const std::string& bytes, std::size_t pieceBytes) : bytes_(bytes), pieceBytes_(pieceBytes) {}

    std::int64_t read(char* buffer, std::size_t size, std::string&) override
    {
        const std::size_t n = std::min({size, pieceBytes_, bytes_.size() - at_});
        std::copy_n(bytes_.data() + at_, n, buffer);
        at_ += n;
        return static_cast<std::int64_t>(n);
    }

private:
    const std::string& bytes_;
    std::size_t pieceBytes_;
    std::size_t at_ = 0;
};

// Characters shown by their code point alone: controls, format characters and
// invisible spaces, combining marks and private use.
bool showable(char32_t cp)
{
    const auto in = [cp](char32_t first, char32_t last) { return cp >= first && cp <= last; };
    return cp >= 0xA0 && !in(0x0300, 0x036F) && !in(0x2000, 0x200F) && !in(0x2028, 0x202F) && !in(0x2060, 0x206F) &&
           !in(0xE000, 0xF8FF) && cp != 0xFEFF && !in(0xFFF0, 0xFFFF) && cp < 0xF0000;
}

std::string hex(char32_t value, int digits)
{
    static constexpr char digitOf[] = "0123456789ABCDEF";
    std::string text;
    while (value != 0 || static_cast<int>(text.size()) < digits) {
        text.insert(text.begin(), digitOf[value % 16]);
        value /= 16;
    }
    return text;
}

std::string unconvertibleProblem(const Windows1252Text& converted)
{
    const Unconvertible& first = *converted.first;
    std::string what;
    std::string fix;
    if (first.malformed) {
        what = "the byte 0x" + hex(first.codePoint, 2) +
               " is not valid UTF-8, although the file starts with the UTF-8 byte order mark";
        fix = "save the file again as UTF-8 or as Windows-1252 (\"ANSI\") text";
    } else {
        what = "the character " + (showable(first.codePoint) ? "\"" + first.bytes + "\" " : std::string()) + "(U+" +
               hex(first.codePoint, 4) + ") has no Windows-1252 form";
        fix = std::string("save the file as Windows-1252 (\"ANSI\") text or replace ") +
              (converted.unconvertible > 1 ? "these characters" : "the character");
    }
    std::string more;
    if (converted.unconvertible > 1)
        more = converted.unconvertible == 2
                   ? std::string(" (and so was 1 more after it)")
                   : " (and so were " + std::to_string(converted.unconvertible - 1) + " more after it)";
    return "line " + std::to_string(first.line) + ": " + what + "; it was read as \"?\"" + more + "; " + fix;
}

}  // namespace

void TextReadOutcome::noteEncodingProblem(const std::string& prefix, Problems& problems) const
{
    if (encodingProblem.empty())
        return;
    if (encodingRefused)
        problems.clear();
    problems.insert(problems.begin(), prefix + encodingProblem);
}

TextReadOutcome FileSource::readText(const std::string& path) const
{
    TextReadOutcome outcome;
    static_cast<ReadOutcome&>(outcome) = read(path);
    if (!outcome.opened)
        return outcome;
    switch (byteOrderMarkOf(outcome.bytes)) {
    case ByteOrderMark::None:
        break;
    case ByteOrderMark::Utf16:
        outcome.bytes.clear();
        outcome.encodingRefused = true;
        outcome.encodingProblem = "the file is saved as UTF-16 text, which the program does not read; save it as "
                                  "UTF-8 or Windows-1252 (\"ANSI\") text";
        break;
    case ByteOrderMark::Utf8: {
        Windows1252Text converted = convertUtf8(std::string_view(outcome.bytes).substr(3));
        if (converted.first)
            outcome.encodingProblem = unconvertibleProblem(converted);
        outcome.bytes = std::move(converted.text);
        break;
    }
    }
    return outcome;
}

const FileSource& diskFiles()
{
    static const DiskFiles disk;
    return disk;
}

bool MemoryFiles::exists(const std::string& path) const { return files_.count(path) != 0; }

ReadOutcome MemoryFiles::read(const std::string& path) const
{
    ReadOutcome outcome;
    const auto found = files_.find(path);
    if (found == files_.end()) {
        outcome.error = "cannot read " + path + ": No such file or directory";
        return outcome;
    }
    outcome.opened = true;
    outcome.bytes = found->second.substr(0, maxReadBytes);
    outcome.truncated = found->second.size() > maxReadBytes;
    return outcome;
}

StreamOutcome MemoryFiles::openStream(const std::string& path) const
{
    StreamOutcome outcome;
    const auto found = files_.find(path);
    if (found == files_.end()) {
        outcome.missing = true;
        outcome.error = "cannot read " + path + ": No such file or directory";
        return outcome;
    }
    outcome.size = static_cast<std::int64_t>(found->second.size());
    outcome.stream = std::make_unique<MemoryStream>(found->second, pieceBytes_);
    return outcome;
}

std::string MemoryFiles::fileKey(const std::string& path) const { return exists(path) ? path : std::string(); }

std::vector<std::string> MemoryFiles::namesIn(const std::string& directory) const
{
    std::vector<std::string> names;
    for (const auto& [path, bytes] : files_)
        if (directoryOf(path) == directory)
            names.push_back(fileNameOf(path));
    return names;
}
