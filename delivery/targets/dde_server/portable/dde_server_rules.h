// Rules of the DDE server application that need no Windows API: where the
// companion application lies, which scan a Windows release gets, and how the
// names that the scans report are compared with the sought path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Adds a "\" to `path` unless it ends in one already; returns the result.
std::string AddTrailingBackslash(std::string& path);

// The companion configuration file for the first `length` characters of a
// buffer of `capacity` characters that GetWindowsDirectoryA filled. Empty when
// the directory is unknown (0) or did not fit (the result is then the size
// the buffer would have needed, and the buffer holds nothing usable).
std::string CompanionIniPath(const char* buffer, uint32_t length, uint32_t capacity);

// The companion executable for a "working_data" value (the characters that
// GetPrivateProfileStringA copied): "bin\dravo.exe" beside the value's first
// "\work" when that stands at position 2 or later; otherwise "dravo.exe" in
// `ownDirectory`, the directory of the running program.
std::string CompanionPathFromWorkingData(std::string_view value, std::string ownDirectory);

// The directory part of an executable's full path, without a trailing "\"
// except for a drive root ("C:\").
std::string ExecutableDirectory(std::string_view executablePath);

// The version code for GetVersionExA's platform and version numbers:
// 1 to 3 Windows 95, 98, Me (snapshot scan), 4 to 6 NT 4.0, 2000, XP
// (process list scan), 0 for every other release (no scan).
int16_t VersionCodeFor(uint32_t platformId, uint32_t major, uint32_t minor);

// The executable path in a module file name buffer of `capacity` characters
// of which GetModuleFileNameExA reported `copied`; a view into the buffer.
std::string_view ModulePathFromBuffer(const char* buffer, uint32_t copied, uint32_t capacity);

// The name in a snapshot entry's szExeFile field of `fieldSize` characters:
// its first fieldSize - 1 characters without surrounding blanks, cut before the
// first NUL; a view into the field.
std::string_view SnapshotExeName(const char* field, size_t fieldSize);

// Turns a text into upper case in place, by the system's rules.
using UpperCaser = void (*)(std::string& text);

// The path a scan looks for, upper-cased once, with room for the running
// programs' paths it is compared with: a scan then allocates the same however
// many programs run.
struct SoughtPath {
  SoughtPath(const std::string& path, size_t longestRunning, UpperCaser toUpper);
  std::string upper;
  std::string running;  // the running path compared last, upper-cased
  UpperCaser toUpper;
};

// A running program's path matches the sought one when both are equal after
// upper-casing; nothing else is normalised (no trimming, no short or long
// names, no relative paths).
bool SamePathIgnoringCase(SoughtPath& sought, std::string_view running);
