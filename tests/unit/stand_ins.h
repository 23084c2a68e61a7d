// Recording stand-ins for the procedures the parser and the loop call out to.
#pragma once

#include <string>
#include <vector>

#include "qor_state.h"

struct StandIns {
  std::vector<JobBlockRecord> delivered;  // JobBlock as DeliverBlock saw it
  int companionLookups = 0;
  std::string companionPath = "C:\\Bib\\bin\\dravo.exe";  // what the lookup writes

  static StandIns& Get();
  void Reset();
};

// Sets JobText and the module state up for one run of the loop, with the
// stand-ins plugged in.
void LoadJob(const std::string& text);
