#include "header_diagnosis.h"

#include <string_view>

#include "file_name_rules.h"
#include "job_parser.h"
#include "program_calls.h"
#include "target_table.h"
#include "text_places.h"
#include "verdict_texts.h"

namespace {

// First character of the trimmed header text.
int32_t HeaderTextAt(int32_t markerAt) {
  int32_t at = markerAt + static_cast<int32_t>(kHeaderStart.size());
  while (at <= static_cast<int32_t>(JobText.size()) && JobText[at - 1] == ' ') ++at;
  return at;
}

class HeaderDiagnosis {
 public:
  HeaderDiagnosis(BlockVerdict& v, const ProgramFiles* files)
      : v_(v), h_(v.block.HeaderText), at_(HeaderTextAt(v.headerAt)), files_(files) {}

  // The last lookup ended the parse: a target not known, a required value
  // missing.
  std::string Invalid() const {
    if (h_.empty()) return kHeaderEmpty;
    if (v_.lookups.empty()) return {};
    const KeyRead& last = v_.lookups.back();
    if (last.key == "Ziel=") return TargetByKeyword(last.value) ? std::string() : Target(last);
    return last.value.empty() ? Missing(last) : std::string();
  }

  void JudgeRead() {
    // The file name first: what an append entry not read means depends on it.
    for (const KeyRead& r : v_.lookups) {
      if (r.found != 0 && r.key == "Dateiname=") FileName(r);
    }
    // A block that is not handed over still names a file it could never write.
    if (!v_.handedOver && !v_.fileNotWritable.empty()) v_.hints.push_back(v_.fileNotWritable);
    for (size_t i = 0; i < v_.lookups.size(); ++i) {
      const KeyRead& r = v_.lookups[i];
      if (r.key == "DDE-Service=") v_.namesCompanion = r.value == "hulintern";
      if (r.found == 0) {
        NotReached(i);
      } else if (r.key == "Anhaengen=") {
        AppendValue(r);
      } else if (r.key == "Externer Programmaufruf=") {
        Program(r);
      } else if (r.key == "DDE-Service=") {
        Server(r);
      } else if (r.key != "Ziel=" && r.key != "Dateiname=") {
        LineBreak(r);
      }
    }
  }

 private:
  // Where a 1-based position of the header text stands in the job file.
  std::string Where(int32_t headerPosition) const {
    return WhereInJob(at_ + headerPosition - 1);
  }

  void Unworkable(std::string hint) {
    v_.hints.push_back(std::move(hint));
    v_.namesUnworkable = true;
  }

  std::string Target(const KeyRead& r) const {
    if (r.found == 0) return Absent(r.key);
    const std::string where = Where(r.found);
    if (HasLineBreak(r.value)) return LineBreakInValue(r.key, where);
    if (r.value.empty()) return ValueEmpty(r.key, where);
    for (const TargetEntry& known : kTargets) {
      if (EqualsIgnoringCase(r.value, known.keyword)) {
        return TargetInOtherCase(r.value, where, known.keyword);
      }
    }
    return UnknownTarget(r.value, where);
  }

  // A required entry that gave no value. Every required lookup starts behind
  // the target entry, so one written but not found stands before it.
  std::string Missing(const KeyRead& r) const {
    if (r.found != 0) return ValueEmpty(r.key, Where(r.found));
    const size_t first = h_.find(r.key);
    if (first == std::string::npos) return Absent(r.key);
    return EntryBeforeTarget(r.key, Where(static_cast<int32_t>(first) + 1));
  }

  // A key that is not written as such, perhaps in another letter case.
  std::string Absent(std::string_view key) const {
    const size_t near = FindIgnoringCase(h_, key);
    if (near == std::string::npos) return EntryMissing(key);
    return EntryInOtherCase(key, Where(static_cast<int32_t>(near) + 1), h_.substr(near, key.size()));
  }

  // What an optional entry would have done: nothing of it happens. Only a
  // block that reaches its target replaces a file or empties the clipboard.
  std::string_view WithoutIt(std::string_view key) const {
    if (key == "Externer Programmaufruf=") return kNoProgramStarted;
    if (key != "Anhaengen=") return {};
    if (!v_.handedOver || !v_.fileNotWritable.empty()) return kAppendStaysOff;
    return v_.block.TargetCode == TargetClipboard ? kClipboardEmptied : kFileReplaced;
  }

  // An optional entry the lookup did not reach: it stands before the entry
  // behind which the search began.
  void NotReached(size_t index) {
    const KeyRead& r = v_.lookups[index];
    const std::string_view effect = WithoutIt(r.key);
    if (effect.empty() || r.from <= 1) return;  // from the first character: there is none
    const KeyRead* behind = nullptr;
    for (size_t j = index; j-- > 0;) {
      if (v_.lookups[j].found != 0 && v_.lookups[j].next == r.from) {
        behind = &v_.lookups[j];
        break;
      }
    }
    if (behind == nullptr) return;
    const size_t at = h_.find(r.key);
    if (at == std::string::npos || static_cast<int32_t>(at) + 1 >= behind->found) return;
    Unworkable(EntryNotRead(r.key, Where(static_cast<int32_t>(at) + 1), behind->key, effect));
  }

  // Windows gets the name up to a NUL; some names it never opens or creates.
  void FileName(const KeyRead& r) {
    const std::string where = Where(r.found);
    const std::string_view given = std::string_view(r.value).substr(0, r.value.find('\0'));
    const std::string why = WhyNeverOpened(given);
    if (!why.empty()) {
      v_.fileNotWritable = FileNotWritable(where, why, !v_.block.ExternalProgram.empty());
    } else if (given.size() < r.value.size()) {
      Unworkable(FileNameCutAtNul(where, given));
    }
  }

  // An "Anhaengen=" value that does not switch appending on.
  void AppendValue(const KeyRead& r) {
    if (r.value == "Ja") return;
    if (EqualsIgnoringCase(r.value, "ja")) {
      Unworkable(AppendInOtherCase(r.value, Where(r.found)));
    } else if (HasLineBreak(r.value)) {
      Unworkable(LineBreakInAppend(Where(r.found)));
    }
  }

  void LineBreak(const KeyRead& r) {
    if (HasLineBreak(r.value)) Unworkable(LineBreakInRead(r.key, Where(r.found)));
  }

  // A line break in the command line, or a program path with a blank that
  // Windows would take apart.
  void Program(const KeyRead& r) {
    LineBreak(r);
    std::string hint = UnquotedProgramHint(r.value, Where(r.found));
    if (!hint.empty()) v_.hints.push_back(std::move(hint));
  }

  // A line break in the server's value, and how qor.exe would start the
  // server it names (the path that replaced "hulintern" where one was found).
  // Away from Windows "hulintern" leads to no path to look at.
  void Server(const KeyRead& r) {
    LineBreak(r);
    if (r.value == "hulintern" && files_ == nullptr) return;
    std::string hint = ServerStartHint(v_.block.DdeService, files_, Where(r.found));
    if (!hint.empty()) v_.hints.push_back(std::move(hint));
  }

  BlockVerdict& v_;
  const std::string& h_;
  int32_t at_;  // job position of the header text's first character
  const ProgramFiles* files_;
};

}  // namespace

bool ExplainInvalid(BlockVerdict& v) {
  // An invalid header starts no server: no files to look at.
  v.reason = HeaderDiagnosis(v, nullptr).Invalid();
  return !v.reason.empty();
}

void JudgeReadHeader(BlockVerdict& v, const ProgramFiles* files) {
  HeaderDiagnosis(v, files).JudgeRead();
}
