// The two ways of looking for a running program by its executable path.
#pragma once

#include <string>

#include "error_table.h"

enum class ScanOutcome {
  Found,       // a process runs from that path
  NotFound,    // every process was looked at, none runs from it
  CannotScan,  // the list of processes could not be taken
  Failed,      // a step failed outright; `failure` says why
};

// NT 4.0, 2000 and XP: the psapi process list.
ScanOutcome ScanProcessList(const std::string& path, QorError& failure);

// Windows 95, 98 and Me: a Toolhelp process snapshot.
ScanOutcome ScanSnapshot(const std::string& path, QorError& failure);
