#include "command_line.h"

std::string ArgumentText(std::string_view commandLine) {
  size_t pos = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    const size_t close = commandLine.find('"', 1);
    pos = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (pos < commandLine.size() && commandLine[pos] != ' ' && commandLine[pos] != '\t') ++pos;
  }
  while (pos < commandLine.size() && (commandLine[pos] == ' ' || commandLine[pos] == '\t')) ++pos;
  return std::string(commandLine.substr(pos));
}
