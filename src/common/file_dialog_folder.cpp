#include "common/file_dialog_folder.h"

#include <sys/stat.h>

#include <utility>

#include "common/file_io.h"

namespace {

std::string& rememberedFolder()
{
    static std::string folder;
    return folder;
}

// A file in the root has the empty directory part: its folder is "/".
std::string folderOf(const std::string& path)
{
    const std::string directory = directoryOf(path);
    return directory.empty() ? std::string("/") : directory;
}

}  // namespace

bool isFolder(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string fileDialogStartFolder(const std::string& currentFile, const std::string& lastFolder,
                                  const std::string& home, const std::function<bool(const std::string&)>& folderExists)
{
    // A bare name has no folder of its own to start in.
    if (currentFile.find('/') != std::string::npos) {
        const std::string folder = folderOf(currentFile);
        if (folderExists(folder))
            return folder;
    }
    if (!lastFolder.empty() && folderExists(lastFolder))
        return lastFolder;
    return home;
}

const std::string& lastChosenFolder() { return rememberedFolder(); }

void rememberChosenFile(const std::string& path)
{
    if (path.find('/') != std::string::npos)
        rememberedFolder() = folderOf(path);
}

void setLastChosenFolder(std::string folder) { rememberedFolder() = std::move(folder); }
