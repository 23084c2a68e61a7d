#include "check_report.h"

#include <cstdio>

#include "text_places.h"
#include "qor_state.h"
#include "target_table.h"
#include "verdict_texts.h"

namespace {

// The payload's first characters, control characters and the C1 range
// escaped.
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

// The DDE-Service value, with where "hulintern" leads.
std::string ServiceText(const BlockVerdict& v) {
  if (!v.namesCompanion) return v.block.DdeService;
  return CompanionService(v.block.DdeService, v.block.DdeService != "hulintern");
}

std::string TargetLines(const BlockVerdict& v) {
  const JobBlockRecord& b = v.block;
  switch (b.TargetCode) {
    case TargetFile:
      return FileLines(b.TargetFileName, b.AppendFlag, b.ExternalProgram);
    case TargetClipboard:
      return ClipboardLines(b.AppendFlag);
    case TargetDde:
      return DdeLines(ServiceText(v), b.DdeServer, b.DdeTopic, b.DdeItem);
  }
  return {};
}

// Every program the run starts, block by block: a file block's program after
// the write, whatever became of it, a DDE block's server when it is not
// running already.
std::string Programs(const JobCheck& check) {
  std::string lines;
  int number = 0;
  for (const BlockVerdict& v : check.blocks) {
    ++number;
    if (!v.handedOver) continue;
    switch (v.block.TargetCode) {
      case TargetFile:
        if (!v.block.ExternalProgram.empty()) lines += ProgramLine(number, v.block.ExternalProgram);
        break;
      case TargetClipboard:
        break;
      case TargetDde:
        lines += ServerLine(number, ServiceText(v));
        break;
    }
  }
  return ProgramList(lines);
}

}  // namespace

std::string FormatCheck(const JobCheck& check, const std::string& jobName) {
  std::string out = ReportHeading(jobName, JobText.size());
  int delivered = 0;
  int number = 0;
  for (const BlockVerdict& v : check.blocks) {
    out += BlockHeading(++number, WhereInJob(v.headerAt));
    if (!v.headerValid) {
      out += InvalidHeaderLines(v.reason);
      continue;
    }
    out += std::string(TargetKeyword(v.block.TargetCode)) + "\n" + TargetLines(v);
    if (v.handedOver) {
      out += PayloadLine(v.block.DataText.size(), WhereInJob(v.dataAt), Preview(v.block.DataText));
    }
    if (v.delivered) {
      ++delivered;
      out += kDeliveredLine;
    } else {
      out += NotDeliveredLine(v.reason);
    }
    for (const std::string& hint : v.hints) out += HintLine(hint);
  }
  out += "\n" + check.ending + "\n";
  out += ResultLine(delivered, check.headerMarkers);
  out += "\n" + Programs(check);
  return out;
}
