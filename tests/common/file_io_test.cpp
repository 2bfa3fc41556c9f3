#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include <sys/stat.h>
#include <unistd.h>

#include "common/file_existence.h"
#include "common/file_io.h"
#include "common/file_source.h"
#include "common/temp_directory.h"

namespace {

bool runningAsRoot() { return geteuid() == 0; }

mode_t modeOf(const std::string& path)
{
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

}  // namespace

TEST(FileIo, WritesAndReplacesWholeFiles)
{
    TempDirectory dir;
    const std::string path = dir.file("list.wls");
    ASSERT_TRUE(writeFileAtomically(path, "first\r\n"));
    EXPECT_EQ(dir.read("list.wls"), "first\r\n");
    ASSERT_TRUE(writeFileAtomically(path, std::string("x\0y", 3)));
    EXPECT_EQ(dir.read("list.wls"), std::string("x\0y", 3));
    ASSERT_TRUE(writeFileAtomically(path, ""));
    EXPECT_EQ(dir.read("list.wls"), "");
    // No temporary file stays behind.
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"list.wls"});

    const ReadOutcome read = readFileBytes(path);
    EXPECT_TRUE(read.opened);
    EXPECT_FALSE(read.truncated);
    EXPECT_EQ(read.bytes, "");
}

TEST(FileIo, NewFilesGetTheUsualPermissions)
{
    TempDirectory dir;
    const mode_t previous = umask(022);
    ASSERT_TRUE(writeFileAtomically(dir.file("a.inp"), "a"));
    umask(027);
    ASSERT_TRUE(writeFileAtomically(dir.file("b.inp"), "b"));
    umask(previous);
    EXPECT_EQ(modeOf(dir.file("a.inp")), 0644u);
    EXPECT_EQ(modeOf(dir.file("b.inp")), 0640u);
}

TEST(FileIo, AFailedWriteIsReportedAndChangesNothing)
{
    TempDirectory dir;
    const std::string missing = dir.file("no-such-dir/list.wls");
    const WriteOutcome intoNowhere = writeFileAtomically(missing, "data");
    EXPECT_FALSE(intoNowhere);
    EXPECT_EQ(intoNowhere.error, "cannot write " + missing + ": No such file or directory");

    // The target is a directory: the rename fails after the temporary file was
    // written, and that file must be removed again.
    ASSERT_EQ(mkdir(dir.file("taken").c_str(), 0755), 0);
    const WriteOutcome overDirectory = writeFileAtomically(dir.file("taken"), "data");
    EXPECT_FALSE(overDirectory);
    EXPECT_EQ(overDirectory.error.rfind("cannot write " + dir.file("taken") + ": ", 0), 0u);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"taken"});

    if (runningAsRoot())
        GTEST_SKIP() << "root writes into read-only directories";
    dir.write("old.wls", "old contents\r\n");
    ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
    const WriteOutcome readOnly = writeFileAtomically(dir.file("old.wls"), "new");
    chmod(dir.path().c_str(), 0755);
    EXPECT_FALSE(readOnly);
    EXPECT_EQ(readOnly.error, "cannot write " + dir.file("old.wls") + ": Permission denied");
    EXPECT_EQ(dir.read("old.wls"), "old contents\r\n");
}

TEST(FileIo, ReadsAreCapped)
{
    TempDirectory dir;
    const ReadOutcome missing = readFileBytes(dir.file("absent.inp"));
    EXPECT_FALSE(missing.opened);
    EXPECT_EQ(missing.error, "cannot read " + dir.file("absent.inp") + ": No such file or directory");
    EXPECT_FALSE(readFileBytes(dir.path()).opened);

    dir.write("exact", std::string(maxReadBytes, 'x'));
    const ReadOutcome exact = readFileBytes(dir.file("exact"));
    EXPECT_TRUE(exact.opened);
    EXPECT_FALSE(exact.truncated);
    EXPECT_EQ(exact.bytes.size(), maxReadBytes);

    dir.write("huge", std::string(maxReadBytes + 1000, 'x'));
    const ReadOutcome huge = readFileBytes(dir.file("huge"));
    EXPECT_TRUE(huge.opened);
    EXPECT_TRUE(huge.truncated);
    EXPECT_EQ(huge.bytes.size(), maxReadBytes);

    // A FIFO named where a file is expected reads as empty instead of waiting for
    // a writer that never comes.
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0644), 0);
    const ReadOutcome pipe = readFileBytes(dir.file("pipe"));
    EXPECT_TRUE(pipe.bytes.empty());
}

// The memory source answers as the disk does for the same files.
TEST(FileSource, MemoryAnswersAsTheDisk)
{
    TempDirectory dir;
    MemoryFiles memory;
    for (const auto& [name, bytes] :
         {std::pair<std::string, std::string>{"a.wls", "1\r\n"}, {"huge", std::string(maxReadBytes + 1, 'x')}}) {
        dir.write(name, bytes);
        memory.add(dir.file(name), bytes);
    }
    for (const char* name : {"a.wls", "huge", "absent"}) {
        const ReadOutcome disk = diskFiles().read(dir.file(name));
        const ReadOutcome held = memory.read(dir.file(name));
        EXPECT_EQ(std::tie(disk.opened, disk.truncated, disk.bytes, disk.error),
                  std::tie(held.opened, held.truncated, held.bytes, held.error))
            << name;
        EXPECT_EQ(diskFiles().exists(dir.file(name)), memory.exists(dir.file(name))) << name;
    }
    auto names = memory.namesIn(dir.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.wls", "huge"}));
}

TEST(FileIo, PathParts)
{
    EXPECT_EQ(directoryOf("/home/lab/study/intro.inp"), "/home/lab/study");
    EXPECT_EQ(fileNameOf("/home/lab/study/intro.inp"), "intro.inp");
    EXPECT_EQ(directoryOf("/intro.inp"), "");
    EXPECT_EQ(fileNameOf("/intro.inp"), "intro.inp");
    EXPECT_EQ(directoryOf("intro.inp"), ".");
    EXPECT_EQ(joinPath(directoryOf("intro.inp"), "a.wls"), "./a.wls");
    EXPECT_EQ(fileNameOf("intro.inp"), "intro.inp");
    EXPECT_EQ(fileNameOf("/home/lab/"), "");
    EXPECT_EQ(joinPath("/home/lab", "a.wls"), "/home/lab/a.wls");
    EXPECT_EQ(joinPath("", "a.wls"), "/a.wls");
    EXPECT_EQ(joinPath("/", "a.wls"), "/a.wls");
    EXPECT_EQ(joinPath(directoryOf("/x/y.inp"), "z.wls"), "/x/z.wls");
}

TEST(FileExistence, PresentOnlyWhenItOpensForAppending)
{
    TempDirectory dir;
    EXPECT_FALSE(fileExists(dir.file("absent.wls")));
    EXPECT_TRUE(dir.entries().empty());  // the test creates nothing
    EXPECT_FALSE(fileExists(dir.path()));

    dir.write("present.wls", "1\r\n1\r\nA\r\nB\r\n");
    EXPECT_TRUE(fileExists(dir.file("present.wls")));
    EXPECT_EQ(dir.read("present.wls"), "1\r\n1\r\nA\r\nB\r\n");

    if (runningAsRoot())
        GTEST_SKIP() << "root opens read-only files for writing";
    ASSERT_EQ(chmod(dir.file("present.wls").c_str(), 0444), 0);
    EXPECT_FALSE(fileExists(dir.file("present.wls")));
}
