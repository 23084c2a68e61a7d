// qorcheck JOBFILE: says block by block what qor.exe would do with a job file
// and why a block would not be delivered. Delivers nothing, starts nothing.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <limits>
#include <string>

#include "check_report.h"
#include "job_check.h"
#include "text_format.h"
#include "verdict_texts.h"

#ifdef _WIN32
#include "companion_path.h"
#include "process_argument.h"
#include "program_lookup.h"
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

// The whole file into JobText, byte for byte; false when it cannot be read.
// A file longer than qor.exe's 32-bit positions reach is refused, as qor.exe
// refuses it. A directory opens on some systems and fails only while it is
// read. Throws std::bad_alloc when the text does not fit.
bool ReadJobFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in || !in.seekg(0, std::ios::end)) return false;
  const std::streamoff size = in.tellg();
  if (size < 0 || size > std::numeric_limits<int32_t>::max() || !in.seekg(0)) return false;
  char* bytes = JobText.Resize(static_cast<size_t>(size));
  return in.read(bytes, size) && in.gcount() == size;
}

// The job file's path as qor.exe would take it: on Windows the whole command
// line after the program's name, not split at blanks, quotation marks kept;
// elsewhere, where the shell has split it, the arguments joined by single
// blanks.
std::string JobPathArgument([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
#ifdef _WIN32
  return ProcessArgumentText();
#else
  std::string text;
  for (int i = 1; i < argc; ++i) text += (i > 1 ? " " : "") + std::string(argv[i]);
  return text;
#endif
}

// Where "hulintern" leads and what a server's command line starts: on
// Windows found by qor.exe's own procedures, so that the two cannot disagree.
MachineLookups ThisMachine() {
#ifdef _WIN32
  return {LocateCompanionPath, ThisMachinesFiles()};
#else
  return kAwayFromWindows;
#endif
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  PrepareConsole();
#endif
  std::string path;
  try {
    path = JobPathArgument(argc, argv);
    if (TrimBlanks(path).empty()) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    // No Windows file name holds a quotation mark: qor.exe finds nothing.
    if (path.find('"') != std::string::npos) {
      std::fputs(ForTerminal(ArgumentQuoted(path)).c_str(), stderr);
      return 2;
    }
    if (!ReadJobFile(path.c_str())) {
      std::fputs(ForTerminal(CannotRead(path)).c_str(), stderr);
      return 2;
    }
    // qor.exe takes an empty job file for a missing one.
    if (JobText.empty()) {
      std::fputs(ForTerminal(kJobFileEmpty).c_str(), stdout);
      return 2;
    }
    const JobCheck check = CheckJobText(ThisMachine());
    std::fputs(ForTerminal(FormatCheck(check, path)).c_str(), stdout);
    return CheckStatus(check);
  } catch (const std::exception&) {
    // No memory for the job or its report (std::bad_alloc), or a text longer
    // than a string can hold (std::length_error).
    std::fputs(ForTerminal(TooLargeToCheck(path)).c_str(), stderr);
    return 2;
  }
}
