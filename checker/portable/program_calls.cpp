#include "program_calls.h"

#include <vector>

#include "server_command_line.h"
#include "text_places.h"
#include "verdict_texts.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view LastPathPart(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool HasExtension(std::string_view path) {
  return LastPathPart(path).find('.') != std::string_view::npos;
}

bool EndsInProgramExtension(std::string_view path) {
  const std::string_view part = LastPathPart(path);
  for (std::string_view extension : {".exe", ".com", ".bat", ".cmd"}) {
    if (part.size() > extension.size() &&
        EqualsIgnoringCase(part.substr(part.size() - extension.size()), extension)) {
      return true;
    }
  }
  return false;
}

// Text after a blank that goes on with the path before it rather than start
// an argument: no switch, no quotation mark, no path of its own from a root
// or a drive.
bool ContinuesPath(std::string_view word) {
  if (word.empty()) return false;
  if (word[0] == '/' || word[0] == '-' || word[0] == '"' || word[0] == '\\') return false;
  return !(word.size() >= 2 && word[1] == ':');
}

// The word that follows `prefix` of `command` after its blanks; empty when
// only blanks follow.
std::string_view WordAfter(std::string_view command, std::string_view prefix) {
  const size_t start = command.find_first_not_of(" \t", prefix.size());
  if (start == std::string_view::npos) return {};
  const size_t end = command.find_first_of(" \t", start);
  return command.substr(start, end == std::string_view::npos ? end : end - start);
}

// The candidates without ".exe": the line cut before each run of blanks, and
// the whole line.
std::vector<std::string_view> Prefixes(std::string_view command) {
  command = command.substr(0, command.find_last_not_of(" \t") + 1);
  std::vector<std::string_view> prefixes;
  for (size_t i = 0; i < command.size(); ++i) {
    if (IsBlank(command[i]) && i > 0 && !IsBlank(command[i - 1])) {
      prefixes.push_back(command.substr(0, i));
    }
  }
  if (!prefixes.empty()) prefixes.push_back(command);
  return prefixes;
}

std::string AsProgram(std::string_view prefix) {
  return HasExtension(prefix) ? std::string(prefix) : std::string(prefix) + ".exe";
}

}  // namespace

std::string UnquotedProgramHint(std::string_view command, const std::string& where) {
  if (command.empty() || command[0] == '"') return {};
  const std::vector<std::string_view> prefixes = Prefixes(command);
  if (prefixes.size() < 2 || EndsInProgramExtension(prefixes[0])) return {};

  // The program meant: the first candidate that ends in a program extension,
  // reached over words that go on with the path.
  size_t meant = 0;
  for (size_t i = 1; i < prefixes.size(); ++i) {
    if (!ContinuesPath(WordAfter(command, prefixes[i - 1]))) break;
    if (EndsInProgramExtension(prefixes[i])) {
      meant = i;
      break;
    }
  }
  const std::string_view second = WordAfter(command, prefixes[0]);
  const bool relativePathFollows =
      ContinuesPath(second) && second.find('\\') != std::string_view::npos;
  if (meant == 0 && !relativePathFollows) return {};

  // Windows tries the first candidate, and those up to the one meant.
  std::vector<std::string> tried{AsProgram(prefixes[0])};
  for (size_t i = 1; i < meant; ++i) tried.push_back(AsProgram(prefixes[i]));
  return UnquotedProgram(where, tried, meant == 0 ? std::string_view() : prefixes[meant]);
}

std::string ServerStartHint(const std::string& service, const ProgramFiles* files,
                            const std::string& where) {
  switch (ServerStartOf(service)) {
    case ServerStart::kRefused:
      return ServerValueRefused(where);
    case ServerStart::kAsWritten:
      return service.empty() || service[0] != '"' ? std::string() : ServerValueQuoted(where);
    case ServerStart::kTakenApart:
      break;
  }
  if (files == nullptr) return ServerValueTakenApart(where, service);
  const ServerCommand command = ServerCommandFor(service, *files);
  if (!command.found) return ServerValueWithoutProgram(where, service);
  return ServerValueStarts(where, service, command.program, command.arguments);
}
