#pragma once
#include <string>
#include <string_view>
#include <vector>

// The names (without directory) of the regular files in directory whose names end
// in "." + extension, compared without regard to case (LIST.WLS matches "wls"), in
// the order the file system returns them: no sorting. An unreadable or missing
// directory gives an empty list. An empty extension lists every regular file.
std::vector<std::string> listDirectory(const std::string& directory, std::string_view extension);
