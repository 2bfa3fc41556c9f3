#pragma once
// Where an editor's file dialog starts: in the folder of the editor's current file,
// else in the folder of the last file chosen in a file dialog while the program has
// been running, else in the home folder. A folder that is no longer there is passed
// over. The last folder is kept in memory only, for the program's lifetime.

#include <functional>
#include <string>

// Whether path names a folder (following symbolic links).
bool isFolder(const std::string& path);

// currentFile: the editor's file ("" for none); lastFolder: lastChosenFolder().
std::string fileDialogStartFolder(const std::string& currentFile, const std::string& lastFolder,
                                  const std::string& home,
                                  const std::function<bool(const std::string&)>& folderExists = isFolder);

// The folder of the last file chosen in a file dialog ("" before the first).
const std::string& lastChosenFolder();
// Notes the folder of a chosen file (a full path).
void rememberChosenFile(const std::string& path);
// Sets the remembered folder itself ("" forgets it).
void setLastChosenFolder(std::string folder);
