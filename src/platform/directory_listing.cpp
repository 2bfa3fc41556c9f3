#include "platform/directory_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <memory>

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The part after the last '.' equals extension, ignoring case. A name that is only
// "." + extension (".wls") matches too, as the pattern "*.wls" matches it.
bool hasExtension(std::string_view name, std::string_view extension)
{
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view tail = name.substr(dot + 1);
    if (tail.size() != extension.size())
        return false;
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (lowerAscii(tail[i]) != lowerAscii(extension[i]))
            return false;
    return true;
}

// A regular file, or a symbolic link that leads to one. d_type saves a stat call where
// the file system fills it in.
bool isRegularFile(DIR* dir, const dirent& entry)
{
    if (entry.d_type == DT_REG)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat status {};
    return fstatat(dirfd(dir), entry.d_name, &status, 0) == 0 && S_ISREG(status.st_mode);
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

std::vector<std::string> listDirectory(const std::string& directory, std::string_view extension)
{
    std::vector<std::string> names;
    const std::unique_ptr<DIR, DirCloser> dir(opendir(directory.c_str()));
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if ((extension.empty() || hasExtension(name, extension)) && isRegularFile(dir.get(), *entry))
            names.emplace_back(name);
    }
    return names;
}
