// Path arithmetic of the file target; no Windows API here. Only "\" separates
// path components.
#pragma once

#include <string>
#include <vector>

// The directory of a file's full path: the path without its last component
// and without the "\" before it. Empty when the path has no "\" or only a
// leading one. "C:\Export\2024\liste.txt" gives "C:\Export\2024".
std::string DirectoryPart(const std::string& path);

// The prefixes of a directory that may need creating, shortest first: each
// prefix up to and including a "\", when longer than three characters. Drive
// roots ("C:\"), the leading "\" or "\\" of a UNC path and a one- or
// two-character relative first directory are never among them; neither is the
// directory itself, which has no "\" behind it.
std::vector<std::string> DirectoryPrefixes(const std::string& directory);

// The pattern whose directory listing tells whether something exists under
// `path`. A name stands for itself, file or directory; a name ending in "\"
// stands for that directory, whose listing always holds "." when it exists
// (listing the bare name with its "\" finds nothing).
std::string ExistencePattern(const std::string& path);
