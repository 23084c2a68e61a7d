// Runs the checker over arbitrary job text, verdicts and report, and checks
// what must hold for any input: every verdict points at what it names, a job
// that passes delivers every block it holds, and the report has a heading for
// every block and the result line. A server's command line taken apart holds
// the whole value, with only the part named as the program quoted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "check_report.h"
#include "dde_server.h"
#include "job_check.h"
#include "job_parser.h"
#include "program_calls.h"
#include "qor_state.h"
#include "server_command_line.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool MarkerAt(int32_t position, std::string_view marker) {
  return position >= 1 && std::string_view(JobText).compare(position - 1, marker.size(), marker) == 0;
}

void CheckVerdicts(const JobCheck& check) {
  Require(static_cast<int32_t>(check.blocks.size()) <= check.headerMarkers);
  int32_t lastHeader = 0;
  int32_t delivered = 0;
  for (size_t i = 0; i < check.blocks.size(); ++i) {
    const BlockVerdict& v = check.blocks[i];
    Require(v.headerAt > lastHeader && MarkerAt(v.headerAt, kHeaderStart));
    lastHeader = v.headerAt;
    // The run ends at the first invalid header.
    if (!v.headerValid) Require(i + 1 == check.blocks.size() && check.endsEarly);
    if (!v.delivered) {
      Require(!v.reason.empty());
      continue;
    }
    ++delivered;
    // The payload is the job text where dataAt points.
    const std::string_view data = v.block.DataText;
    Require(!data.empty() && v.dataAt > v.headerAt);
    Require(data.data() == JobText.data() + (v.dataAt - 1));
    Require(data.data() + data.size() <= JobText.data() + JobText.size());
  }
  // A job that passes delivers a block for every header marker it holds.
  if (CheckStatus(check) == 0) Require(delivered == check.headerMarkers);
}

// Every block has its heading, in order, and the result line follows them.
void CheckReport(const JobCheck& check, const std::string& report) {
  size_t at = 0;
  for (size_t i = 1; i <= check.blocks.size(); ++i) {
    at = report.find("\nBlock " + std::to_string(i) + " (", at);
    Require(at != std::string::npos);
  }
  Require(report.find("\nErgebnis: ", at) != std::string::npos);
}

// A program-call hint only for a line Windows could take apart.
void CheckProgramHint(std::string_view command) {
  if (UnquotedProgramHint(command, "Zeile 1, Spalte 1").empty()) return;
  Require(command.front() != '"');
  // A word, a blank and more after it.
  const size_t word = command.find_first_not_of(" \t");
  const size_t blank = command.find_first_of(" \t", word);
  Require(blank != std::string_view::npos);
  Require(command.find_first_not_of(" \t", blank) != std::string_view::npos);
}

// A made-up machine on which every part with an even length names a program
// and every text with a backslash in its last four characters a folder.
bool EvenLength(const std::string& name) { return name.size() % 2 == 0; }
bool BackslashNearItsEnd(const std::string& path) {
  return path.find('\\', path.size() < 4 ? 0 : path.size() - 4) != std::string::npos;
}
const ProgramFiles kMadeUp{EvenLength, BackslashNearItsEnd};

void CheckServerCommand(std::string_view value) {
  const ServerCommand command = ServerCommandFor(value, kMadeUp);
  Require((command.start == ServerStart::kRefused) ==
          (value.find('\0') != std::string_view::npos));
  if (!command.found) {
    Require(command.start != ServerStart::kAsWritten);
    return;
  }
  if (command.start == ServerStart::kAsWritten) {
    Require(command.commandLine == value);
    return;
  }
  const std::string& program = command.program;
  Require(!program.empty() && program.size() <= 259 && program.find('"') == std::string::npos);
  Require(value.substr(0, program.size()) == program);
  const std::string_view rest = value.substr(program.size());
  Require(rest.empty() || rest[0] == ' ' || rest[0] == '\t');
  Require(command.commandLine == "\"" + program + "\"" + std::string(rest));
}

}  // namespace

// "hulintern" leads to the companion, or, on jobs of odd length, nowhere, as
// when the program's own lookup finds no path.
void LocateCompanionPath() {
  if (JobText.size() % 2 == 0) JobBlock.DdeService = "C:\\Bib\\bin\\dravo.exe";
}

// The checker looks a server's command line up on the made-up machine, or,
// on jobs of odd length, states the rule, as where no Windows is at hand.
const ProgramFiles* ThisMachinesFiles() { return JobText.size() % 2 == 0 ? &kMadeUp : nullptr; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const JobCheck check = CheckJob(text);
  CheckVerdicts(check);
  CheckReport(check, FormatCheck(check, "auftrag.qor"));
  CheckProgramHint(text);
  CheckServerCommand(text);
  return 0;
}
