#include "job_check.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

#include "deliver_block.h"
#include "job_parser.h"
#include "program_calls.h"
#include "target_table.h"

namespace {


// Umlauts as Windows-1252 bytes, split off so no following letter joins the escape.
const std::string kUe = "\xFC";
const std::string kAe = "\xE4";
const std::string kOe = "\xF6";
const std::string kSz = "\xDF";

int32_t FindFrom(const std::string& text, std::string_view what, int32_t position) {
  const size_t from = position <= 0 ? 0 : static_cast<size_t>(position) - 1;
  if (from > text.size()) return 0;
  const size_t at = text.find(what, from);
  return at == std::string::npos ? 0 : static_cast<int32_t>(at) + 1;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// 0-based offset of `what` in `text` ignoring letter case, npos when absent.
size_t FindIgnoringCase(std::string_view text, std::string_view what) {
  if (what.size() > text.size()) return std::string::npos;
  for (size_t i = 0; i + what.size() <= text.size(); ++i) {
    if (EqualsIgnoringCase(text.substr(i, what.size()), what)) return i;
  }
  return std::string::npos;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string::npos; }

std::string Quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

// Diagnoses run on the header text as the parser cut it; `headerAt` is the
// 1-based job position of its first character, so findings can point at the
// job file's lines.
class HeaderDiagnosis {
 public:
  HeaderDiagnosis(const std::string& header, int32_t headerAt) : h_(header), at_(headerAt) {}

  std::string Where(size_t offset) const {
    const LineColumn lc = LocatePosition(JobText, at_ + static_cast<int32_t>(offset));
    return "Zeile " + std::to_string(lc.line) + ", Spalte " + std::to_string(lc.column);
  }

  // Value of `key` looked up from `from` (1-based in the header) as the parser does.
  std::string Lookup(std::string_view key, int32_t from, int32_t& next) const {
    return ExtractBetween(h_, key, "*", from, next);
  }

  // Why the target key gives no recognised target.
  std::string Target(int32_t& afterTarget) const {
    afterTarget = 0;
    const std::string value = Lookup("Ziel=", 1, afterTarget);
    const size_t at = h_.find("Ziel=");
    if (at == std::string::npos) {
      const size_t near = FindIgnoringCase(h_, "ziel=");
      if (near != std::string::npos) {
        return "Der Eintrag \"Ziel=\" fehlt; in " + Where(near) + " steht " +
               Quoted(h_.substr(near, 5)) + " (Gro" + kSz + "-/Kleinschreibung beachten).";
      }
      return "Der Eintrag \"Ziel=\" fehlt.";
    }
    if (HasLineBreak(value)) {
      return "Zeilenumbruch im Wert von \"Ziel=\" (" + Where(at) +
             "): das \"*\" muss direkt hinter dem Wert stehen.";
    }
    if (value.empty()) return "Der Wert von \"Ziel=\" (" + Where(at) + ") ist leer.";
    for (const TargetEntry& known : kTargets) {
      if (EqualsIgnoringCase(value, known.keyword)) {
        return "Unbekanntes Ziel " + Quoted(value) + " (" + Where(at) + "): gemeint ist wohl " +
               Quoted(known.keyword) + " (Gro" + kSz + "-/Kleinschreibung beachten).";
      }
    }
    std::string keywords;
    for (size_t i = 0; i < std::size(kTargets); ++i) {
      if (i > 0) keywords += i + 1 < std::size(kTargets) ? ", " : " und ";
      keywords += Quoted(kTargets[i].keyword);
    }
    return "Unbekanntes Ziel " + Quoted(value) + " (" + Where(at) + "); m" + kOe + "glich sind " +
           keywords + ".";
  }

  // Why a required `key`, searched from `from`, has no value.
  std::string Missing(std::string_view key, int32_t from) const {
    const size_t first = h_.find(key);
    if (first == std::string::npos) {
      const size_t near = FindIgnoringCase(h_, key);
      if (near != std::string::npos) {
        return "Der Eintrag " + Quoted(key) + " fehlt; in " + Where(near) + " steht " +
               Quoted(h_.substr(near, key.size())) + " (Gro" + kSz + "-/Kleinschreibung beachten).";
      }
      return "Der Eintrag " + Quoted(key) + " fehlt.";
    }
    const size_t after = from <= 0 ? 0 : static_cast<size_t>(from) - 1;
    const size_t found = h_.find(key, after);
    if (found == std::string::npos) {
      return "Der Eintrag " + Quoted(key) + " (" + Where(first) +
             ") steht vor dem Eintrag \"Ziel=\" und wird deshalb nicht gelesen; er muss dahinter "
             "stehen.";
    }
    int32_t next = 0;
    const std::string value = Lookup(key, from, next);
    if (HasLineBreak(value)) {
      return "Zeilenumbruch im Wert von " + Quoted(key) + " (" + Where(found) +
             "): das \"*\" muss direkt hinter dem Wert stehen.";
    }
    return "Der Wert von " + Quoted(key) + " (" + Where(found) + ") ist leer.";
  }

  // An optional entry that is written but was not read where it stands.
  void Unread(std::string_view key, std::string_view before, std::vector<std::string>& hints,
              const std::string& effect) const {
    const size_t at = h_.find(key);
    const size_t other = h_.find(before);
    if (at != std::string::npos && other != std::string::npos && at < other) {
      hints.push_back("Der Eintrag " + Quoted(key) + " (" + Where(at) + ") steht vor " +
                      Quoted(before) + " und wird deshalb nicht gelesen: " + effect);
    }
  }

  // A program path with a blank that Windows would take apart.
  void UnquotedProgram(const std::string& command, std::vector<std::string>& hints) const {
    if (command.empty()) return;
    // The entry the parser read: searched from behind "Ziel=", "Dateiname="
    // and "Anhaengen=", as far as each was found.
    int32_t from = 1;
    int32_t next = 0;
    for (const char* key : {"Ziel=", "Dateiname=", "Anhaengen="}) {
      Lookup(key, from, next);
      from = next;
    }
    const size_t at = h_.find("Externer Programmaufruf=", from <= 0 ? 0 : from - 1);
    const std::string hint = UnquotedProgramHint(command, Where(at == std::string::npos ? 0 : at));
    if (!hint.empty()) hints.push_back(hint);
  }

  void AppendValue(std::vector<std::string>& hints, bool appendOn) const {
    if (appendOn) return;
    const size_t at = h_.find("Anhaengen=");
    if (at == std::string::npos) return;
    int32_t next = 0;
    const std::string value = ExtractBetween(h_, "Anhaengen=", "*", static_cast<int32_t>(at) + 1, next);
    if (value == "Ja") return;  // written but not read: the order hint covers it
    if (EqualsIgnoringCase(value, "ja")) {
      hints.push_back("\"Anhaengen=" + value + "\" (" + Where(at) + ") schaltet das Anh" + kAe +
                      "ngen nicht ein: nur \"Ja\", genau so geschrieben.");
    } else if (HasLineBreak(value)) {
      hints.push_back("Zeilenumbruch im Wert von \"Anhaengen=\" (" + Where(at) +
                      "): das Anh" + kAe + "ngen bleibt aus.");
    }
  }

 private:
  const std::string& h_;
  int32_t at_;
};

// First character of the trimmed header text.
int32_t HeaderTextAt(int32_t markerAt) {
  int32_t at = markerAt + static_cast<int32_t>(kHeaderStart.size());
  while (at <= static_cast<int32_t>(JobText.size()) && JobText[at - 1] == ' ') ++at;
  return at;
}

std::string DiagnoseInvalid(const JobBlockRecord& block, int32_t markerAt) {
  if (block.HeaderText.empty()) return "Der Kopfbereich ist leer.";
  const HeaderDiagnosis d(block.HeaderText, HeaderTextAt(markerAt));
  int32_t afterTarget = 0;
  int32_t next = 0;
  const TargetEntry* target = TargetByKeyword(d.Lookup("Ziel=", 1, next));
  if (target == nullptr) return d.Target(afterTarget);
  switch (target->code) {
    case TargetFile:
      return d.Missing("Dateiname=", next);
    case TargetClipboard:
      break;
    case TargetDde:
      for (const char* key : {"DDE-Service=", "DDE-Server=", "DDE-Topic=", "DDE-Item="}) {
        int32_t unused = 0;
        if (d.Lookup(key, next, unused).empty()) return d.Missing(key, next);
      }
      break;
  }
  return d.Target(afterTarget);
}

// The parser has replaced the keyword already; the header tells whether it stood there.
bool NamesCompanion(const JobBlockRecord& block) {
  if (block.TargetCode != TargetDde) return false;
  int32_t afterTarget = 0;
  ExtractBetween(block.HeaderText, "Ziel=", "*", 1, afterTarget);
  int32_t unused = 0;
  return ExtractBetween(block.HeaderText, "DDE-Service=", "*", afterTarget, unused) == "hulintern";
}

void HintsForValid(BlockVerdict& v, int32_t markerAt) {
  const HeaderDiagnosis d(v.block.HeaderText, HeaderTextAt(markerAt));
  switch (v.block.TargetCode) {
    case TargetFile:
      d.Unread("Anhaengen=", "Dateiname=", v.hints,
               "die Datei wird ersetzt, nicht erg" + kAe + "nzt.");
      d.Unread("Externer Programmaufruf=", "Anhaengen=", v.hints, "kein Programm wird gestartet.");
      d.Unread("Externer Programmaufruf=", "Dateiname=", v.hints, "kein Programm wird gestartet.");
      d.AppendValue(v.hints, v.block.AppendFlag);
      d.UnquotedProgram(v.block.ExternalProgram, v.hints);
      return;
    case TargetClipboard:
      d.Unread("Anhaengen=", "Ziel=", v.hints, "die Zwischenablage wird vorher geleert.");
      d.AppendValue(v.hints, v.block.AppendFlag);
      return;
    case TargetDde:
      return;
  }
}

class Recorder : public JobLoopObserver {
 public:
  explicit Recorder(JobCheck& check) : check_(check) {}

  void HeaderParsed(int32_t position, int32_t next, bool valid) override {
    const int32_t markerAt = FindFrom(JobText, kHeaderStart, position);
    if (markerAt == 0) {
      const LineColumn lc = LocatePosition(JobText, std::max<int32_t>(position, 1));
      check_.ending = "Ende: kein weiterer Kopf ab Zeile " + std::to_string(lc.line) + ", Spalte " +
                      std::to_string(lc.column) + " - der Lauf endet regul" + kAe + "r.";
      return;
    }
    BlockVerdict v;
    v.headerAt = markerAt;
    v.headerValid = valid;
    v.block = JobBlock;
    if (!valid) {
      v.reason = DiagnoseInvalid(JobBlock, markerAt);
      const int32_t later = CountMarkers(next > 0 ? next : markerAt + 1);
      check_.ending = "Der Lauf endet an diesem ung" + kUe + "ltigen Kopf";
      check_.ending += later > 0 ? "; " + std::to_string(later) + " weitere(r) Block/Bl" + kOe +
                                       "cke danach werden nicht mehr betrachtet."
                                 : ".";
      check_.endsEarly = true;
    } else {
      HintsForValid(v, markerAt);
      v.namesCompanion = NamesCompanion(JobBlock);
    }
    check_.blocks.push_back(std::move(v));
  }

  void HeaderUnterminated() override {
    BlockVerdict& v = check_.blocks.back();
    v.reason = "\"(((HEADEREND)))\" fehlt: der Kopf reicht bis zum Dateiende, der Block hat keinen "
               "Datenbereich.";
    check_.ending = "Der Lauf endet an diesem Kopf ohne Ende-Marke.";
    check_.endsEarly = true;
  }

  void DataParsed(int32_t position, int32_t next, bool deliver) override {
    BlockVerdict& v = check_.blocks.back();
    const int32_t dataMarker = FindFrom(JobText, kDataStart, position);
    v.delivered = deliver;
    if (dataMarker == 0) {
      v.reason = "Kein Datenbereich: nach dem Kopf folgt kein \"(((DATASTART)))\".";
      return;
    }
    // A header between this header's end and the data section is passed over.
    const int32_t skipped = FindFrom(JobText, kHeaderStart, position);
    if (skipped != 0 && skipped < dataMarker) {
      const LineColumn lc = LocatePosition(JobText, skipped);
      const std::string where = "Zeile " + std::to_string(lc.line) + ", Spalte " + std::to_string(lc.column);
      v.hints.push_back("Dieser Kopf hat keinen eigenen Datenbereich: es folgt direkt der Kopf in " +
                     where + "; dessen Nutzdaten werden unter diesem Kopf geliefert und jener Kopf "
                     "wird " + kUe + "bersprungen.");
      ++check_.passedOver;
    }
    if (deliver) {
      v.block.DataText = JobBlock.DataText;
      v.dataAt = dataMarker + static_cast<int32_t>(kDataStart.size());
      while (JobText[v.dataAt - 1] == ' ') ++v.dataAt;
    } else {
      v.reason = "Der Datenbereich ist leer (oder enth" + kAe + "lt nur Leerzeichen).";
    }
    if (next == 0 && FindFrom(JobText, kDataEnd, dataMarker) == 0) {
      const int32_t swallowed = CountMarkers(dataMarker);
      std::string text = "\"(((DATAEND)))\" fehlt: die Nutzdaten reichen bis zum Dateiende";
      if (swallowed > 0) {
        text += " und enthalten " + std::to_string(swallowed) +
                " weitere(n) Block/Bl" + kOe + "cke als Text; diese werden nicht einzeln geliefert";
        check_.endsEarly = true;
      }
      v.hints.push_back(text + ". Der Lauf endet nach diesem Block.");
      check_.ending = "Der Lauf endet mit diesem Block.";
    }
  }

  int32_t CountMarkers(int32_t from) const {
    int32_t count = 0;
    for (int32_t at = FindFrom(JobText, kHeaderStart, from); at != 0;
         at = FindFrom(JobText, kHeaderStart, at + 1)) {
      ++count;
    }
    return count;
  }

 private:
  JobCheck& check_;
};

std::string Preview(std::string_view payload) {
  constexpr size_t kShown = 40;
  std::string out = "\"";
  for (size_t i = 0; i < payload.size() && i < kShown; ++i) {
    const unsigned char c = static_cast<unsigned char>(payload[i]);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || (c >= 0x80 && c < 0xA0)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += payload.size() > kShown ? "\"..." : "\"";
  return out;
}

std::string WhereText(int32_t position) {
  const LineColumn lc = LocatePosition(JobText, position);
  return "Zeile " + std::to_string(lc.line) + ", Spalte " + std::to_string(lc.column);
}

// The DDE-Service value, with where "hulintern" leads.
std::string ServiceText(const BlockVerdict& v) {
  std::string service = v.block.DdeService;
  if (v.namesCompanion) {
    service = "hulintern -> " + service;
    if (v.block.DdeService == "hulintern") {
      service += " (ZIRARUDAZADER.INI fehlt oder ist leer: qor.exe versucht \"hulintern\" zu "
                 "starten)";
    }
  }
  return service;
}

// Every program the run starts, block by block: a file block's program after
// the write, a DDE block's server when it is not running already.
std::string ProgramList(const JobCheck& check) {
  std::string list;
  int number = 0;
  for (const BlockVerdict& v : check.blocks) {
    ++number;
    if (!v.delivered) continue;
    const std::string block = "  Block " + std::to_string(number);
    switch (v.block.TargetCode) {
      case TargetFile:
        if (!v.block.ExternalProgram.empty()) {
          list += block + ", Externer Programmaufruf: " + v.block.ExternalProgram + "\n";
        }
        break;
      case TargetClipboard:
        break;
      case TargetDde:
        list += block + ", DDE-Service (wenn es nicht schon l" + kAe + "uft): " +
                ServiceText(v) + "\n";
        break;
    }
  }
  return "Programme, die dieser Auftrag startet:" + (list.empty() ? " keine\n" : "\n" + list);
}

}  // namespace

LineColumn LocatePosition(const std::string& text, int32_t position) {
  LineColumn lc{1, 1};
  const size_t end = std::min<size_t>(position > 0 ? position - 1 : 0, text.size());
  for (size_t i = 0; i < end; ++i) {
    if (text[i] == '\n') {
      ++lc.line;
      lc.column = 1;
    } else {
      ++lc.column;
    }
  }
  return lc;
}

JobCheck CheckJob(std::string text) {
  JobText = std::move(text);  // held once, as qor.exe holds it
  JobBlock = JobBlockRecord();
  JobCheck check;
  Recorder recorder(check);
  RunJobLoop(&recorder);
  check.headerMarkers = recorder.CountMarkers(1);
  return check;
}

int CheckStatus(const JobCheck& check) {
  if (check.endsEarly || check.passedOver > 0) return 1;
  for (const BlockVerdict& v : check.blocks) {
    if (!v.delivered) return 1;
  }
  return 0;
}

std::string FormatCheck(const JobCheck& check, const std::string& jobName) {
  std::string out = "Auftragsdatei " + jobName + " (" + std::to_string(JobText.size()) + " Bytes)\n";
  int delivered = 0;
  int number = 0;
  for (const BlockVerdict& v : check.blocks) {
    ++number;
    out += "\nBlock " + std::to_string(number) + " (" + WhereText(v.headerAt) + "): ";
    if (!v.headerValid) {
      out += "Kopf ung" + kUe + "ltig\n  Grund: " + v.reason + "\n";
      continue;
    }
    const JobBlockRecord& b = v.block;
    out += std::string(TargetKeyword(b.TargetCode)) + "\n";
    switch (b.TargetCode) {
      case TargetFile:
        out += "  Dateiname:   " + b.TargetFileName + "\n";
        out += std::string("  Anh") + kAe + "ngen:    " + (b.AppendFlag ? "ja" : "nein (ersetzen)") + "\n";
        out += "  Programm:    " + (b.ExternalProgram.empty() ? "keins" : b.ExternalProgram) + "\n";
        break;
      case TargetClipboard:
        out += std::string("  Anh") + kAe + "ngen:    " +
               (b.AppendFlag ? "ja (andere Formate bleiben)" : "nein (Zwischenablage wird geleert)") + "\n";
        break;
      case TargetDde:
        out += "  DDE-Service: " + ServiceText(v) + "\n";
        out += "  DDE-Server:  " + b.DdeServer + "\n";
        out += "  DDE-Topic:   " + b.DdeTopic + "\n";
        out += "  DDE-Item:    " + b.DdeItem + "\n";
        break;
    }
    if (v.delivered) {
      ++delivered;
      out += "  Nutzdaten:   " + std::to_string(b.DataText.size()) + " Bytes ab " +
             WhereText(v.dataAt) + ": " + Preview(b.DataText) + "\n";
      out += "  => wird geliefert\n";
    } else {
      out += "  => wird NICHT geliefert: " + v.reason + "\n";
    }
    for (const std::string& hint : v.hints) out += "  Hinweis: " + hint + "\n";
  }
  out += "\n" + check.ending + "\n";
  out += "Ergebnis: " + std::to_string(delivered) + " von " + std::to_string(check.headerMarkers) +
         " Bl" + kOe + "cken werden geliefert.\n";
  out += "\n" + ProgramList(check);
  return out;
}

// The loop's call out to delivery, recorded instead of carried out.
void DeliverBlock() {}
