#pragma once

#include <string>
#include <string_view>

// The argument text of a whole command line: everything after the program's
// own name (quoted or not) and the blanks that separate it from the name,
// otherwise unchanged: not split, quotes and trailing blanks kept.
std::string ArgumentText(std::string_view commandLine);
