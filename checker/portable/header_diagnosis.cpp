#include "header_diagnosis.h"

#include "dde_server.h"
#include "job_parser.h"
#include "text_places.h"
#include "program_calls.h"
#include "target_table.h"
#include "verdict_texts.h"

namespace {

constexpr std::string_view kValueEnd = "*";

// The value of `key` in `header`, looked up from `from` (1-based) as the
// parser does.
std::string ValueFrom(const std::string& header, std::string_view key, int32_t from) {
  int32_t next = 0;
  return ExtractBetween(header, key, kValueEnd, from, next);
}

// First character of the trimmed header text.
int32_t HeaderTextAt(int32_t markerAt) {
  int32_t at = markerAt + static_cast<int32_t>(kHeaderStart.size());
  while (at <= static_cast<int32_t>(JobText.size()) && JobText[at - 1] == ' ') ++at;
  return at;
}

class HeaderDiagnosis {
 public:
  HeaderDiagnosis(const std::string& header, int32_t markerAt)
      : h_(header), at_(HeaderTextAt(markerAt)) {}

  // Where an offset of the header text stands in the job file.
  std::string Where(size_t offset) const { return WhereInJob(at_ + static_cast<int32_t>(offset)); }

  // Why a required `key`, searched from `from`, has no value.
  std::string Missing(std::string_view key, int32_t from) const {
    const size_t first = h_.find(key);
    if (first == std::string::npos) return Absent(key);
    const size_t found = h_.find(key, from <= 0 ? 0 : static_cast<size_t>(from) - 1);
    if (found == std::string::npos) return EntryBeforeTarget(key, Where(first));
    if (HasLineBreak(ValueFrom(h_, key, from))) return LineBreakInValue(key, Where(found));
    return ValueEmpty(key, Where(found));
  }

  // Why the target key gives no known target.
  std::string Target() const {
    const size_t at = h_.find("Ziel=");
    if (at == std::string::npos) return Absent("Ziel=");
    const std::string value = ValueFrom(h_, "Ziel=", 1);
    if (HasLineBreak(value)) return LineBreakInValue("Ziel=", Where(at));
    if (value.empty()) return ValueEmpty("Ziel=", Where(at));
    for (const TargetEntry& known : kTargets) {
      if (EqualsIgnoringCase(value, known.keyword)) {
        return TargetInOtherCase(value, Where(at), known.keyword);
      }
    }
    return UnknownTarget(value, Where(at));
  }

  // An optional entry written before `before` and so not read.
  void Unread(std::string_view key, std::string_view before, std::string_view effect,
              std::vector<std::string>& hints) const {
    const size_t at = h_.find(key);
    const size_t other = h_.find(before);
    if (at != std::string::npos && other != std::string::npos && at < other) {
      hints.push_back(EntryNotRead(key, Where(at), before, effect));
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
      ExtractBetween(h_, key, kValueEnd, from, next);
      from = next;
    }
    const size_t at = h_.find("Externer Programmaufruf=", from <= 0 ? 0 : from - 1);
    const std::string hint = UnquotedProgramHint(command, Where(at == std::string::npos ? 0 : at));
    if (!hint.empty()) hints.push_back(hint);
  }

  // How qor.exe would start the server `service` the entry read after
  // "Ziel=" names.
  void ServerStart(const std::string& service, std::vector<std::string>& hints) const {
    int32_t afterTarget = 0;
    ExtractBetween(h_, "Ziel=", kValueEnd, 1, afterTarget);
    const size_t at = h_.find("DDE-Service=", afterTarget <= 0 ? 0 : afterTarget - 1);
    const std::string hint =
        ServerStartHint(service, ThisMachinesFiles(), Where(at == std::string::npos ? 0 : at));
    if (!hint.empty()) hints.push_back(hint);
  }

  // An "Anhaengen=" value that does not switch appending on.
  void AppendValue(bool appendOn, std::vector<std::string>& hints) const {
    if (appendOn) return;
    const size_t at = h_.find("Anhaengen=");
    if (at == std::string::npos) return;
    const std::string value = ValueFrom(h_, "Anhaengen=", static_cast<int32_t>(at) + 1);
    if (value == "Ja") return;  // written but not read: the order hint covers it
    if (EqualsIgnoringCase(value, "ja")) {
      hints.push_back(AppendInOtherCase(value, Where(at)));
    } else if (HasLineBreak(value)) {
      hints.push_back(LineBreakInAppend(Where(at)));
    }
  }

 private:
  // A key that is not written as such, perhaps in another letter case.
  std::string Absent(std::string_view key) const {
    const size_t near = FindIgnoringCase(h_, key);
    if (near == std::string::npos) return EntryMissing(key);
    return EntryInOtherCase(key, Where(near), h_.substr(near, key.size()));
  }

  const std::string& h_;
  int32_t at_;  // job position of the header text's first character
};

}  // namespace

std::string DiagnoseInvalid(const JobBlockRecord& block, int32_t markerAt) {
  if (block.HeaderText.empty()) return kHeaderEmpty;
  const HeaderDiagnosis d(block.HeaderText, markerAt);
  int32_t next = 0;
  const TargetEntry* target =
      TargetByKeyword(ExtractBetween(block.HeaderText, "Ziel=", kValueEnd, 1, next));
  if (target != nullptr) {
    switch (target->code) {
      case TargetFile:
        return d.Missing("Dateiname=", next);
      case TargetClipboard:
        break;
      case TargetDde:
        for (const char* key : {"DDE-Service=", "DDE-Server=", "DDE-Topic=", "DDE-Item="}) {
          if (ValueFrom(block.HeaderText, key, next).empty()) return d.Missing(key, next);
        }
        break;
    }
  }
  return d.Target();
}

std::vector<std::string> HintsForValid(const JobBlockRecord& block, int32_t markerAt) {
  const HeaderDiagnosis d(block.HeaderText, markerAt);
  std::vector<std::string> hints;
  switch (block.TargetCode) {
    case TargetFile:
      d.Unread("Anhaengen=", "Dateiname=", kFileReplaced, hints);
      d.Unread("Externer Programmaufruf=", "Anhaengen=", kNoProgramStarted, hints);
      d.Unread("Externer Programmaufruf=", "Dateiname=", kNoProgramStarted, hints);
      d.AppendValue(block.AppendFlag, hints);
      d.UnquotedProgram(block.ExternalProgram, hints);
      break;
    case TargetClipboard:
      d.Unread("Anhaengen=", "Ziel=", kClipboardEmptied, hints);
      d.AppendValue(block.AppendFlag, hints);
      break;
    case TargetDde:
      // Away from Windows "hulintern" leads to no path to look at.
      if (!NamesCompanion(block) || ThisMachinesFiles() != nullptr) {
        d.ServerStart(block.DdeService, hints);
      }
      break;
  }
  return hints;
}

bool NamesCompanion(const JobBlockRecord& block) {
  if (block.TargetCode != TargetDde) return false;
  int32_t afterTarget = 0;
  ExtractBetween(block.HeaderText, "Ziel=", kValueEnd, 1, afterTarget);
  return ValueFrom(block.HeaderText, "DDE-Service=", afterTarget) == "hulintern";
}
