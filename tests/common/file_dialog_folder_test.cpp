// Where an editor's file dialog starts, and the folder remembered from the last choice.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/file_dialog_folder.h"
#include "common/temp_directory.h"

TEST(FileDialogFolder, CurrentFileThenLastFolderThenHome)
{
    const std::set<std::string> folders{"/study", "/", "/last"};
    const auto exists = [&](const std::string& path) { return folders.count(path) > 0; };
    struct Case {
        const char* currentFile;
        const char* lastFolder;
        const char* start;
    };
    const Case cases[] = {
        {"/study/fruit.wls", "/last", "/study"},
        {"/top.wls", "/last", "/"},             // a file in the root
        {"", "/last", "/last"},                 // no current file
        {"/gone/fruit.wls", "/last", "/last"},  // its folder was removed
        {"fruit.wls", "/last", "/last"},        // a bare name has no folder
        {"", "", "/home/lab"},
        {"", "/gone", "/home/lab"},
        {"/gone/fruit.wls", "", "/home/lab"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fileDialogStartFolder(c.currentFile, c.lastFolder, "/home/lab", exists), c.start)
            << c.currentFile << " | " << c.lastFolder;
}

TEST(FileDialogFolder, TheLastChosenFileGivesItsFolderAndAFileIsNoFolder)
{
    TempDirectory dir;
    dir.write("list.wls", "");
    EXPECT_TRUE(isFolder(dir.path()));
    EXPECT_FALSE(isFolder(dir.file("list.wls")));
    EXPECT_FALSE(isFolder(dir.file("none")));

    setLastChosenFolder("");
    rememberChosenFile("bare.wls");  // no folder to remember
    EXPECT_EQ(lastChosenFolder(), "");
    rememberChosenFile(dir.file("list.wls"));
    EXPECT_EQ(lastChosenFolder(), dir.path());
    EXPECT_EQ(fileDialogStartFolder("", lastChosenFolder(), "/home/lab"), dir.path());
    rememberChosenFile("/top.wls");
    EXPECT_EQ(lastChosenFolder(), "/");
    setLastChosenFolder("");
}
