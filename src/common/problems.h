#pragma once
// Problems a reader found in a file: whatever it had to cut or clamp, and values a
// run could not use. Each is a sentence a person can read, naming the file.

#include <string>
#include <vector>

using Problems = std::vector<std::string>;
