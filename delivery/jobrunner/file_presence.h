// The program's one test for whether a file is present.
#pragma once

#include <string>

// True when the file opens for reading and is at least one byte long.
bool FileExistsNonEmpty(const std::string& path);
