#pragma once
#include <string>

// A file counts as present when it can be opened for appending without being
// created: a missing file, a directory and a read-only file all count as absent.
bool fileExists(const std::string& path);

// Why fileExists refuses path, for the person who has to mend it: "" when nothing
// is there (or the file can be used after all); "exists, but: <reason>" when
// something is there that cannot be opened for appending (a read-only file, a
// directory, a named pipe, a symbolic link to nothing); otherwise the system's
// reason why the path could not be followed (a loop of symbolic links, a file used
// as a directory, a directory that may not be searched).
std::string fileAbsenceReason(const std::string& path);

// The path, and after it the reason in parentheses when there is one:
// "/study/fruit.wls (exists, but: Permission denied)".
std::string pathWithReason(const std::string& path, const std::string& reason);
