// Module-wide state of the delivery program, shared by the job runner and the
// delivery targets. Nothing here needs the Windows API.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What a block delivers to; the keywords of the job file are in target_table.h.
enum TargetCodes : int16_t { TargetFile = 0, TargetClipboard = 1, TargetDde = 2 };

// The current block: rewritten by the parser block by block, read by delivery.
struct JobBlockRecord {
  std::string HeaderText;
  // The payload where it stands in JobText, which does not change during a
  // run: a large payload is held once, not copied.
  std::string_view DataText;
  TargetCodes TargetCode = TargetFile;
  bool AppendFlag = false;
  std::string TargetFileName;
  std::string DdeService;
  std::string DdeServer;
  std::string DdeTopic;
  std::string DdeItem;
  std::string ExternalProgram;
};

extern bool TraceOn;         // set once at start-up from the trace switch file
extern std::string JobText;  // the whole job file, one char per byte
extern JobBlockRecord JobBlock;
