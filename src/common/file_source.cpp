#include "common/file_source.h"

#include "common/file_existence.h"
#include "platform/directory_listing.h"

namespace {

class DiskFiles final : public FileSource {
public:
    bool exists(const std::string& path) const override { return fileExists(path); }
    ReadOutcome read(const std::string& path) const override { return readFileBytes(path); }
    std::vector<std::string> namesIn(const std::string& directory) const override
    {
        return listDirectory(directory, {});
    }
};

}  // namespace

const FileSource& diskFiles()
{
    static const DiskFiles disk;
    return disk;
}

bool MemoryFiles::exists(const std::string& path) const
{
    return files_.count(path) != 0;
}

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

std::vector<std::string> MemoryFiles::namesIn(const std::string& directory) const
{
    std::vector<std::string> names;
    for (const auto& [path, bytes] : files_)
        if (directoryOf(path) == directory)
            names.push_back(fileNameOf(path));
    return names;
}
