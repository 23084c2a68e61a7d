// The lookups that take a server's command line apart, made as Windows makes
// them when it looks for the program of a command line. qorcheck.exe makes
// the same ones, so that it names the program qor.exe would start.
#include "program_lookup.h"

#include <string>

#include "win_api.h"

namespace {

// SearchPathA looks where a program started by name is looked for (the
// program's own directory, the system folders, the current directory, PATH)
// and tries ".exe" when the name has no extension; a name with a directory
// is looked for there alone. It finds folders too.
bool NamesProgram(const std::string& name) {
  char found[MAX_PATH];
  const DWORD length = qor::api::SearchPathA(nullptr, name.c_str(), ".exe", MAX_PATH, found, nullptr);
  if (length == 0 || length >= MAX_PATH) return false;
  const DWORD attributes = qor::api::GetFileAttributesA(found);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool NamesFolder(const std::string& path) {
  const DWORD attributes = qor::api::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

const ProgramFiles* ThisMachinesFiles() {
  static const ProgramFiles files{NamesProgram, NamesFolder};
  return &files;
}
