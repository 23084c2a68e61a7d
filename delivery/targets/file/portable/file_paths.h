// Path arithmetic of the file target; no Windows API here. Only "\" separates
// path components.
#pragma once

#include <cstdint>
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

// The name of the temporary file a save writes before it replaces `path`: in
// the same folder, so that replacing is a rename on one volume. The folder is
// everything up to the last "\", "/" or ":" ("C:liste.txt" names the current
// folder of drive C). The name is made of the process number and an attempt
// number, short so that it fits wherever the file's own name fits nearly.
std::string TemporaryNameBeside(const std::string& path, uint32_t processId, uint32_t attempt);
