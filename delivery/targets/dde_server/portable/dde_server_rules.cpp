#include "dde_server_rules.h"

#include "text_format.h"

namespace {

constexpr std::string_view kWorkMarker = "\\work";
constexpr char kCompanionIni[] = "ZIRARUDAZADER.INI";
constexpr char kCompanionExe[] = "dravo.exe";

}  // namespace

std::string AddTrailingBackslash(std::string& path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

std::string CompanionIniPath(const char* buffer, uint32_t length, uint32_t capacity) {
  if (length == 0 || length >= capacity) return {};
  std::string directory(TrimBlanks(std::string_view(buffer, length)));
  return AddTrailingBackslash(directory) + kCompanionIni;
}

std::string CompanionPathFromWorkingData(std::string_view value, std::string ownDirectory) {
  const std::string_view trimmed = TrimBlanks(value);
  if (trimmed.size() >= 4) {
    // The first "\work" decides, also as the start of a longer name such as
    // "\workspace"; one in front of everything has no directory before it.
    const size_t at = trimmed.find(kWorkMarker);
    if (at != std::string_view::npos && at >= 1) {
      return std::string(trimmed.substr(0, at + 1)) + "bin\\" + kCompanionExe;
    }
  }
  return AddTrailingBackslash(ownDirectory) + kCompanionExe;
}

std::string ExecutableDirectory(std::string_view executablePath) {
  const size_t slash = executablePath.find_last_of('\\');
  if (slash == std::string_view::npos) return {};
  std::string directory(executablePath.substr(0, slash));
  if (directory.size() == 2 && directory[1] == ':') directory += '\\';
  return directory;
}

int16_t VersionCodeFor(uint32_t platformId, uint32_t major, uint32_t minor) {
  constexpr uint32_t kWin32Windows = 1;
  constexpr uint32_t kWin32Nt = 2;
  if (platformId == kWin32Windows && major == 4) {
    switch (minor) {
      case 0:
        return 1;
      case 10:
        return 2;
      case 90:
        return 3;
      default:
        return 0;
    }
  }
  if (platformId == kWin32Nt) {
    if (major == 4) return 4;
    if (major == 5 && minor == 0) return 5;
    if (major == 5 && minor == 1) return 6;
  }
  return 0;
}

std::string_view ModulePathFromBuffer(const char* buffer, uint32_t copied, uint32_t capacity) {
  // A count beyond the buffer would read past it; what fits is all there is.
  return std::string_view(buffer, copied < capacity ? copied : capacity);
}

std::string_view SnapshotExeName(const char* field, size_t fieldSize) {
  if (fieldSize == 0) return {};
  // Trimming comes first, on the whole field: blanks in front of the name go,
  // blanks between its end and the NUL stay.
  const std::string_view trimmed = TrimBlanks(std::string_view(field, fieldSize - 1));
  return trimmed.substr(0, trimmed.find('\0'));
}

SoughtPath::SoughtPath(const std::string& path, size_t longestRunning, UpperCaser toUpper)
    : upper(path), toUpper(toUpper) {
  toUpper(upper);
  running.reserve(longestRunning);
}

bool SamePathIgnoringCase(SoughtPath& sought, std::string_view running) {
  sought.running.assign(running);  // into the room made beforehand
  sought.toUpper(sought.running);
  return sought.running == sought.upper;
}
