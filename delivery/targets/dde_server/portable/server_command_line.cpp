#include "server_command_line.h"

#include <algorithm>

namespace {

constexpr char kBlanks[] = " \t";
constexpr char kSeparators[] = "\\/";
// MAX_PATH less its NUL: the functions that find a program take no longer name.
constexpr size_t kLongestProgramPath = 259;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

ServerStart ServerStartOf(std::string_view value) {
  if (value.find('\0') != std::string_view::npos) return ServerStart::kRefused;
  if (!value.empty() && value[0] == '"') return ServerStart::kAsWritten;
  return value.find_first_of(kBlanks) == std::string_view::npos ? ServerStart::kAsWritten
                                                                : ServerStart::kTakenApart;
}

std::vector<std::string_view> ProgramParts(std::string_view value) {
  std::vector<std::string_view> parts;
  if (!value.empty() && value.size() <= kLongestProgramPath && !IsBlank(value.back())) {
    parts.push_back(value);
  }
  const size_t last = std::min(value.size(), kLongestProgramPath + 1);
  for (size_t i = last; i > 1; --i) {
    if (IsBlank(value[i - 1]) && !IsBlank(value[i - 2])) parts.push_back(value.substr(0, i - 1));
  }
  return parts;
}

std::string_view FolderBehind(std::string_view value, size_t length) {
  const size_t word = value.find_first_not_of(kBlanks, length);
  if (word == std::string_view::npos || word == length) return {};
  if (value[word] == '\\' || value[word] == '/' || value[word] == '"') return {};
  if (word + 1 < value.size() && value[word + 1] == ':') return {};  // a drive of its own
  return value.substr(0, value.find_first_of(kSeparators, word));
}

ServerCommand ServerCommandFor(std::string_view value, const ProgramFiles& files) {
  ServerCommand command;
  command.start = ServerStartOf(value);
  if (command.start == ServerStart::kRefused) return command;
  if (command.start == ServerStart::kAsWritten) {
    command.found = true;
    command.commandLine = std::string(value);
    return command;
  }
  for (const std::string_view part : ProgramParts(value)) {
    // A quotation mark is in no file name, and would end the quoted one.
    if (part.find('"') != std::string_view::npos) continue;
    if (!files.namesProgram(std::string(part))) continue;
    const std::string_view folder = FolderBehind(value, part.size());
    if (!folder.empty() && files.namesFolder(std::string(folder))) continue;
    const std::string_view rest = value.substr(part.size());
    command.found = true;
    command.program = std::string(part);
    command.commandLine = "\"" + command.program + "\"" + std::string(rest);
    const size_t argument = rest.find_first_not_of(kBlanks);
    if (argument != std::string_view::npos) command.arguments = std::string(rest.substr(argument));
    return command;
  }
  return command;
}
