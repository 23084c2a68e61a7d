// The decisions and texts of CheckMimeType that need no Windows API: version
// order, the two messages, and the bounded texts formed from caller input and
// registry values.
#pragma once

#include <cstddef>
#include <string>

namespace qor_setup {

// Capacity of every registry and profile value read, terminator included.
constexpr size_t kValueCapacity = 256;

// Capacity of the profile path: the longest path the ANSI profile functions
// accept (MAX_PATH), terminator included.
constexpr size_t kProfilePathCapacity = 260;

// True when the installed version sorts after the setup version in plain byte
// order (unsigned, no numeric reading of dotted parts). An empty installed
// version, equal texts and an installed version that begins the setup version
// are never newer.
bool InstalledVersionIsNewer(const char* installed, const char* setup);

// "<SourceDir>\setup.ini". False, with path empty, when SourceDir is null or
// the path would not fit kProfilePathCapacity: a cut path could name another
// file.
bool FormProfilePath(const char* sourceDir, std::string& path);

// "<class>\shell\open\command".
std::string CommandKeyName(const std::string& className);

// The text of a value read into a buffer of kValueCapacity bytes, of which
// `count` were reported. The bytes up to the first NUL are the text; a value
// stored without a terminator ends at `count`. False, with text empty, when
// the value does not fit 255 characters and its terminator.
bool ValueAsText(const char* buffer, size_t count, std::string& text);

// The box shown when the installed version is newer than the setup version.
std::string DowngradeMessage(const std::string& installed, const std::string& setup);

// The question shown when ".qor" is taken and the program is not installed;
// the middle line only when the program reference is not empty.
std::string ConflictMessage(const std::string& programReference);

}  // namespace qor_setup
