// Runs the checker over arbitrary job text, verdicts and report, and checks
// what must hold for any input: every verdict points at what it names, the
// report agrees with what the parser did (run once more and watched on its
// own here), and the exit status follows from both. A server's command line
// taken apart holds the whole value, with only the part named as the program
// quoted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "check_report.h"
#include "job_check.h"
#include "job_loop.h"
#include "job_parser.h"
#include "program_calls.h"
#include "qor_state.h"
#include "server_command_line.h"
#include "target_table.h"
#include "verdict_texts.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string::npos; }
bool Has(std::string_view text, std::string_view what) { return text.find(what) != std::string::npos; }

bool MarkerAt(int32_t position, std::string_view marker) {
  return position >= 1 && std::string_view(JobText).compare(position - 1, marker.size(), marker) == 0;
}

bool companionCalled = false;

// One header as the parser read it, seen from outside the checker.
struct ParsedHeader {
  bool valid = false;
  int32_t textAt = 0;  // job position of the header text's first character
  JobBlockRecord block;
  bool companion = false;  // LocateCompanion was called
  std::vector<KeyRead> lookups;
  bool handedOver = false;
};

std::vector<ParsedHeader> parsed;
std::vector<KeyRead> lookups;

void WatchLookup(const KeyLookup& l) {
  lookups.push_back({std::string(l.key), l.from, l.found, l.next, std::string(l.value)});
}

struct ParseWatcher : JobLoopObserver {
  void HeaderParsed(int32_t position, int32_t, bool valid) override {
    ParsedHeader h;
    h.valid = valid;
    const size_t marker = std::string_view(JobText).find(kHeaderStart, position <= 0 ? 0 : position - 1);
    if (marker != std::string::npos) {
      size_t at = marker + kHeaderStart.size();
      while (at < JobText.size() && JobText[at] == ' ') ++at;
      h.textAt = static_cast<int32_t>(at) + 1;
    }
    h.block = JobBlock;
    h.companion = companionCalled;
    h.lookups.swap(lookups);
    companionCalled = false;
    parsed.push_back(std::move(h));
  }
  void HeaderUnterminated() override {}
  void DataParsed(int32_t, int32_t, bool deliver) override { parsed.back().handedOver = deliver; }
};

void DeliverNothing() {}

// "hulintern" leads to the companion, or, on jobs of odd length, nowhere, as
// when the program's own lookup finds no path.
void LocateCompanion() {
  companionCalled = true;
  if (JobText.size() % 2 == 0) JobBlock.DdeService = "C:\\Bib\\bin\\dravo.exe";
}

// The parser's own account: the loop run again, its key lookups watched.
void ParseAgain() {
  parsed.clear();
  lookups.clear();
  JobBlock = JobBlockRecord();
  ParseWatcher watcher;
  BlockDeliverer = DeliverNothing;
  CompanionLocator = LocateCompanion;
  KeyLookupWatcher = WatchLookup;
  RunJobLoop(&watcher);
  KeyLookupWatcher = nullptr;
}

// The 1-based job position of "Zeile L, Spalte C" in `text`, 0 when there is none.
int32_t PositionOfPlace(std::string_view text) {
  const size_t at = text.find("(Zeile ");
  if (at == std::string::npos) return 0;
  const int line = std::atoi(std::string(text.substr(at + 7)).c_str());
  const size_t col = text.find(", Spalte ", at);
  Require(col != std::string::npos);
  const int column = std::atoi(std::string(text.substr(col + 9)).c_str());
  int32_t position = 1;
  for (int l = 1; l < line; ++l) {
    const size_t lf = std::string_view(JobText).find('\n', position - 1);
    Require(lf != std::string::npos);
    position = static_cast<int32_t>(lf) + 2;
  }
  return position + column - 1;
}

// A hint or reason that begins by naming a key with its place ("Der Wert
// von "K" (Zeile ...") points at that key.
void CheckPlacesOfKeys(const std::string& text) {
  for (const std::string_view opening : {"Der Eintrag \"", "Der Wert von \"",
                                         "Zeilenumbruch im Wert von \"", "Der Programmpfad in \""}) {
    if (text.rfind(opening, 0) != 0) continue;
    const size_t end = text.find("\" (Zeile ", opening.size());
    if (end == std::string::npos) return;
    const std::string key = text.substr(opening.size(), end - opening.size());
    if (key.find('"') != std::string::npos) return;
    Require(MarkerAt(PositionOfPlace(text.substr(end)), key));
  }
}

// The key a hint or reason says is not read ("Der Eintrag "K" (Zeile ...)
// steht vor ... nicht gelesen"); empty for every other text.
std::string NotReadKey(const std::string& text) {
  const std::string head = "Der Eintrag \"";
  if (text.rfind(head, 0) != 0) return {};
  const size_t end = text.find("\" (Zeile ", head.size());
  const size_t place = text.find(") steht vor ", end);
  if (end == std::string::npos || place == std::string::npos ||
      text.find("nicht gelesen", place) == std::string::npos) {
    return {};
  }
  return text.substr(head.size(), end - head.size());
}

// A hint or reason that says an entry is not read names one at its place
// that no lookup of its key reached: before where the search began, or
// after the entry it found.
void CheckNotRead(const std::string& text, const ParsedHeader& h) {
  const std::string key = NotReadKey(text);
  if (key.empty()) return;
  const int32_t at = PositionOfPlace(text);
  Require(MarkerAt(at, key));
  const int32_t inHeader = at - h.textAt + 1;
  bool lookedUp = false;
  for (const KeyRead& r : h.lookups) {
    if (r.key != key) continue;
    lookedUp = true;
    Require(inHeader < (r.from <= 0 ? 1 : r.from) || (r.found != 0 && inHeader > r.found));
  }
  Require(lookedUp);
}

// An entry not read of a header that is read does nothing, as its hint says:
// no program is started; the append stays off, and a block delivered
// replaces its file or empties the clipboard.
void CheckEffectOfNotRead(const std::string& hint, const BlockVerdict& v, const JobBlockRecord& b) {
  const std::string key = NotReadKey(hint);
  if (key.empty()) return;
  const auto endsWith = [&hint](std::string_view end) {
    return hint.size() >= end.size() && hint.compare(hint.size() - end.size(), end.size(), end) == 0;
  };
  if (key == "Anhaengen=") {
    Require(!b.AppendFlag);
    Require(endsWith(!v.delivered                    ? kAppendStaysOff
                     : b.TargetCode == TargetFile ? kFileReplaced
                                                  : kClipboardEmptied));
  } else {
    Require(key == "Externer Programmaufruf=" && b.ExternalProgram.empty());
    Require(endsWith(kNoProgramStarted));
  }
}

// The report's section of block `number` (1-based).
std::string_view Section(std::string_view report, size_t number) {
  const size_t from = report.find("\nBlock " + std::to_string(number) + " (");
  Require(from != std::string::npos);
  const size_t to = report.find("\nBlock " + std::to_string(number + 1) + " (", from);
  return report.substr(from, to == std::string::npos ? report.find("\n\n", from + 1) - from : to - from);
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
    Require(!v.delivered || v.handedOver);
    if (!v.delivered) Require(!v.reason.empty());
    if (!v.handedOver) continue;
    if (v.delivered) ++delivered;
    // The payload is the job text where dataAt points.
    const std::string_view data = v.block.DataText;
    Require(!data.empty() && v.dataAt > v.headerAt);
    Require(data.data() == JobText.data() + (v.dataAt - 1));
    Require(data.data() + data.size() <= JobText.data() + JobText.size());
  }
  // A job that passes delivers a block for every header marker it holds.
  if (CheckStatus(check) == 0) Require(delivered == check.headerMarkers);
}

// What the report says of each block, and its program list, is what the
// parser set; the exit status follows.
void CheckAgainstParse(const JobCheck& check, const std::string& report) {
  Require(check.blocks.size() == parsed.size() || check.blocks.size() + 1 == parsed.size());
  std::string programs;
  bool lineBreakRead = false;
  for (size_t i = 0; i < check.blocks.size(); ++i) {
    const BlockVerdict& v = check.blocks[i];
    const ParsedHeader& h = parsed[i];
    Require(v.headerValid == h.valid && v.handedOver == h.handedOver);
    for (const std::string& hint : v.hints) {
      CheckNotRead(hint, h);
      CheckPlacesOfKeys(hint);
    }
    CheckNotRead(v.reason, h);
    CheckPlacesOfKeys(v.reason);
    if (!h.valid) continue;
    const JobBlockRecord& b = h.block;
    for (const std::string& hint : v.hints) CheckEffectOfNotRead(hint, v, b);
    const std::string_view section = Section(report, i + 1);
    for (const KeyRead& r : h.lookups) lineBreakRead |= r.found != 0 && HasLineBreak(r.value);
    switch (b.TargetCode) {
      case TargetFile:
        Require(Has(section, FileLines(b.TargetFileName, b.AppendFlag, b.ExternalProgram)));
        if (h.handedOver && !b.ExternalProgram.empty()) {
          programs += ProgramLine(static_cast<int>(i + 1), b.ExternalProgram);
        }
        break;
      case TargetClipboard:
        Require(Has(section, ClipboardLines(b.AppendFlag)));
        break;
      case TargetDde: {
        const std::string service =
            h.companion ? CompanionService(b.DdeService, b.DdeService != "hulintern") : b.DdeService;
        Require(Has(section, DdeLines(service, b.DdeServer, b.DdeTopic, b.DdeItem)));
        if (h.handedOver) programs += ServerLine(static_cast<int>(i + 1), service);
        break;
      }
    }
  }
  const std::string list = ProgramList(programs);
  Require(report.size() >= list.size() && report.compare(report.size() - list.size(), list.size(), list) == 0);
  // One line per line: no value brings a line break or other control
  // character of its own.
  for (const char c : report) Require(c == '\n' || static_cast<unsigned char>(c) >= 0x20);
  const int status = CheckStatus(check);
  Require(status == 0 || status == 1);
  if (lineBreakRead) Require(status == 1);
  if (status != 0) return;
  for (const BlockVerdict& v : check.blocks) {
    Require(v.delivered);
    for (const std::string& hint : v.hints) Require(NotReadKey(hint).empty());
  }
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // The checker looks a server's command line up on the made-up machine, or,
  // on jobs of odd length, states the rule, as where no Windows is at hand.
  const JobCheck check =
      CheckJob(text, {LocateCompanion, text.size() % 2 == 0 ? &kMadeUp : nullptr});
  companionCalled = false;
  const std::string report = FormatCheck(check, "auftrag.qor");
  CheckVerdicts(check);
  CheckReport(check, report);
  ParseAgain();
  CheckAgainstParse(check, report);
  CheckProgramHint(text);
  CheckServerCommand(text);
  return 0;
}
