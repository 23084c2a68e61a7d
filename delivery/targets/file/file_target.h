// File target: the payload written to a file, replacing it or appended.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Write or append the first `count` chars of `payload`; the result is an
// error number, 0 on success. A failed save leaves the old file as it was, a
// failed append cuts the file back; either writes its trace line.
int16_t SaveToFile(const std::string& fileName, std::string_view payload, int32_t count);
int16_t AppendToFile(const std::string& fileName, std::string_view payload, int32_t count);

// Creates the missing directories of a file's full path; true when the
// file's directory exists afterwards.
bool CreateMissingDirectories(const std::string& path);
