#include "platform/directory_listing.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace {

class DirectoryListing : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = ::testing::TempDir() + "truv_listing_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    void touch(const std::string& name) const { std::ofstream(path(name)) << "x"; }

    // Every entry as readdir returns it, "." and ".." left out.
    std::vector<std::string> readdirOrder() const
    {
        std::vector<std::string> names;
        DIR* dir = opendir(dir_.c_str());
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
        return names;
    }

    std::string dir_;
};

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// The listing keeps the file system's order (compared with the matching names taken in
// readdir order, never sorted) and matches the extension after the last dot, ignoring
// case; a bare ".wls" counts, as "*.wls" matches it.
TEST_F(DirectoryListing, MatchesTheExtensionInReaddirOrder)
{
    const std::set<std::string> matching = {"zeta.wls", "alpha.wls", "LIST.WLS", "Mixed.Wls", "two.dots.wls", ".wls"};
    for (const auto& name : matching)
        touch(name);
    for (const char* name : {"notes.txt", "a.wlsx", "b.wls.bak", "wls", "c.wl", "d_wls", "e.inp"})
        touch(name);

    std::vector<std::string> expected;
    for (const auto& name : readdirOrder())
        if (matching.count(name) != 0)
            expected.push_back(name);

    EXPECT_EQ(listDirectory(dir_, "wls"), expected);
    EXPECT_EQ(listDirectory(dir_, "WLS"), expected);
    EXPECT_EQ(listDirectory(dir_ + "/", "wls"), expected);
    EXPECT_EQ(listDirectory(dir_, "inp"), std::vector<std::string>{"e.inp"});
    EXPECT_TRUE(listDirectory(dir_, "dat").empty());
}

// Only regular files, reached directly or through a symbolic link.
TEST_F(DirectoryListing, ListsOnlyRegularFiles)
{
    touch("plain.wls");
    touch("target.txt");
    ASSERT_EQ(mkdir(path("folder.wls").c_str(), 0755), 0);
    ASSERT_EQ(mkfifo(path("pipe.wls").c_str(), 0644), 0);
    ASSERT_EQ(symlink("target.txt", path("link.wls").c_str()), 0);
    ASSERT_EQ(symlink("folder.wls", path("dirlink.wls").c_str()), 0);
    ASSERT_EQ(symlink("nowhere.txt", path("dangling.wls").c_str()), 0);

    EXPECT_EQ(sorted(listDirectory(dir_, "wls")), (std::vector<std::string>{"link.wls", "plain.wls"}));
    EXPECT_EQ(sorted(listDirectory(dir_, "")), (std::vector<std::string>{"link.wls", "plain.wls", "target.txt"}));
}

TEST_F(DirectoryListing, MissingOrNonDirectoryPathGivesNothing)
{
    touch("file.wls");
    EXPECT_TRUE(listDirectory(path("absent"), "wls").empty());
    EXPECT_TRUE(listDirectory(path("file.wls"), "wls").empty());
    EXPECT_TRUE(listDirectory("", "wls").empty());
}
