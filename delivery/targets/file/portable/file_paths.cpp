#include "file_paths.h"

#include <cstdio>

std::string DirectoryPart(const std::string& path) {
  if (path.empty()) return {};
  std::string directory = path;
  while (directory.back() != '\\' && directory.size() > 1) directory.pop_back();
  directory.pop_back();
  return directory;
}

std::vector<std::string> DirectoryPrefixes(const std::string& directory) {
  std::vector<std::string> prefixes;
  for (size_t at = directory.find('\\'); at != std::string::npos;
       at = directory.find('\\', at + 1)) {
    if (at + 1 > 3) prefixes.push_back(directory.substr(0, at + 1));
  }
  return prefixes;
}

std::string ExistencePattern(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path + "*";
  return path;
}

std::string TemporaryNameBeside(const std::string& path, uint32_t processId, uint32_t attempt) {
  const size_t last = path.find_last_of("\\/:");
  const std::string folder = last == std::string::npos ? std::string() : path.substr(0, last + 1);
  char name[32];
  std::snprintf(name, sizeof name, "~qor%x-%x.tmp", static_cast<unsigned>(processId),
                static_cast<unsigned>(attempt));
  return folder + name;
}
