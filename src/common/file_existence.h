#pragma once
#include <string>

// A file counts as present when it can be opened for appending without being
// created: a missing file, a directory and a read-only file all count as absent.
bool fileExists(const std::string& path);
