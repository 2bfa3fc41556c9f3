// What the existence test says about a path it refuses, on the real file system.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "common/file_existence.h"
#include "common/temp_directory.h"

TEST(FileExistence, TheReasonSaysWhatStandsInTheFilesPlace)
{
    TempDirectory dir;
    dir.write("list.wls", "x");
    std::filesystem::create_directory(dir.file("folder.wls"));
    ASSERT_EQ(::mkfifo(dir.file("pipe.wls").c_str(), 0644), 0);
    std::filesystem::create_symlink("loop.wls", dir.file("loop.wls"));
    std::filesystem::create_symlink("gone.wls", dir.file("dangling.wls"));
    const std::pair<const char*, const char*> cases[] = {
        {"list.wls", ""},  // usable: nothing to say
        {"absent.wls", ""},
        {"folder.wls", "exists, but: Is a directory"},
        {"pipe.wls", "exists, but: a named pipe (FIFO), not a regular file"},
        {"dangling.wls", "exists, but: a symbolic link to a file that is not there"},
        {"loop.wls", "Too many levels of symbolic links"},
        {"list.wls/inner.wls", "Not a directory"},
    };
    for (const auto& [name, reason] : cases)
        EXPECT_EQ(fileAbsenceReason(dir.file(name)), reason) << name;
    EXPECT_FALSE(std::filesystem::exists(dir.file("absent.wls")));  // asking creates nothing

    if (geteuid() == 0)
        return;  // root opens read-only files for writing
    std::filesystem::permissions(dir.file("list.wls"), std::filesystem::perms::owner_read);
    EXPECT_EQ(fileAbsenceReason(dir.file("list.wls")), "exists, but: Permission denied");
}
