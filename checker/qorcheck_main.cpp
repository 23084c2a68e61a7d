// qorcheck JOBFILE: says block by block what qor.exe would do with a job file
// and why a block would not be delivered. Delivers nothing, starts nothing.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "check_report.h"
#include "job_check.h"
#include "verdict_texts.h"

#ifdef _WIN32
#include "windows_console.h"
#endif

namespace {

// The report is Windows-1252; a terminal elsewhere expects UTF-8.
std::string ForTerminal(const std::string& cp1252) {
#ifdef _WIN32
  return cp1252;
#else
  std::string out;
  for (unsigned char c : cp1252) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
#endif
}

// The whole file, byte for byte; false when it cannot be read. A directory
// opens on some systems and fails only while it is read.
bool ReadJobFile(const char* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  try {
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::ios_base::failure&) {
    return false;
  }
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
#ifdef _WIN32
  PrepareConsole();
#endif
  std::string text;
  if (!ReadJobFile(argv[1], text)) {
    std::fputs(CannotRead(argv[1]).c_str(), stderr);
    return 2;
  }
  if (text.empty()) {
    std::fputs(ForTerminal(kJobFileEmpty).c_str(), stdout);
    return 1;
  }
  const JobCheck check = CheckJob(std::move(text));
  std::fputs(ForTerminal(FormatCheck(check, argv[1])).c_str(), stdout);
  return CheckStatus(check);
}
