// Explains a job file: runs the program's own loop and parser over it with a
// recording stand-in for delivery, and says block by block what would happen
// and why a block would not be delivered. No Windows API here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qor_state.h"

// A key lookup the parser made in a header, as it made it.
struct KeyRead {
  std::string key;
  int32_t from = 0;   // key position the search started at (0 searches from the first)
  int32_t found = 0;  // 1-based position of the key in the header text, 0 when not found
  int32_t next = 0;   // key next position after the lookup
  std::string value;  // what the lookup gave ("hulintern" before it is replaced)
};

struct BlockVerdict {
  int32_t headerAt = 0;  // 1-based position of "(((HEADERSTART)))"
  bool headerValid = false;
  JobBlockRecord block;          // as parsed (DataText only when handed over)
  std::vector<KeyRead> lookups;  // every key lookup of this header, in order
  bool handedOver = false;       // the loop hands the block to delivery
  bool delivered = false;        // handed over, and its target can take it
  int32_t dataAt = 0;            // 1-based position of the payload's first char, 0 if none
  std::string reason;            // why the block is not delivered / the header is invalid
  std::string fileNotWritable;   // a file block: why Windows can never write its file
  std::vector<std::string> hints;  // likely mistakes in a block that is read
  bool namesUnworkable = false;    // a hint names an entry or value that cannot work as written
  bool namesCompanion = false;     // "DDE-Service=hulintern": block.DdeService is what it became
};

struct JobCheck {
  std::vector<BlockVerdict> blocks;
  std::string ending;         // how and where the run ends
  bool endsEarly = false;     // headers remain that the run never looks at
  int32_t passedOver = 0;     // headers passed over because a header had no data section
  int32_t swallowed = 0;      // headers read as part of another block's header or payload
  int32_t headerMarkers = 0;  // "(((HEADERSTART)))" markers in the whole text
};

struct ProgramFiles;

// What the checker asks the machine it runs on, where qor.exe asks its own.
// Each program that checks plugs in its answers: qorcheck.exe qor.exe's own
// procedures, so that the two cannot disagree.
struct MachineLookups {
  // Replaces "hulintern" in JobBlock.DdeService when the parser calls it.
  void (*locateCompanionPath)();
  // The files a server's command line is taken apart against; null where
  // there are none to look at.
  const ProgramFiles* programFiles;
};

// Away from Windows there is no ZIRARUDAZADER.INI to read and no file a
// server's command line could be taken apart against: "hulintern" becomes
// kCompanionElsewhere and the report states the start rule instead.
extern const MachineLookups kAwayFromWindows;

// Checks JobText as qor.exe would run it on `machine`. Overwrites JobBlock;
// the payloads in the verdicts point into JobText and are valid while it
// stays unchanged.
JobCheck CheckJobText(const MachineLookups& machine);
// The same for a copy of `text`, which becomes JobText.
JobCheck CheckJob(std::string_view text, const MachineLookups& machine);

// The exit status of a job that could be read: 0 when every block is
// delivered as written and nothing is named that cannot work, 1 otherwise.
int CheckStatus(const JobCheck& check);
