// Turns among the runs that write to one file at the same time.
#pragma once

#include "win_api.h"

namespace qor {

// The turn is an exclusive lock on one byte far beyond any content a file
// will hold, so that readers and the written bytes never meet it (byte 2^62,
// or 2^32 - 2 where the system refuses offsets past 4 GiB). A run that
// finds it taken asks again until `waitMs` have passed. The turn is given up
// when the object goes; the handle must stay open until then.
class FileTurn {
 public:
  FileTurn(HANDLE file, DWORD waitMs) : file_(file), waitMs_(waitMs) {}
  FileTurn(const FileTurn&) = delete;
  FileTurn& operator=(const FileTurn&) = delete;
  ~FileTurn();

  // False when another run held the turn for the whole bound; GetLastError
  // then says ERROR_LOCK_VIOLATION. A file system that cannot lock at all
  // gives no turn and true: the caller writes without taking turns.
  bool Take();

 private:
  HANDLE file_;
  DWORD waitMs_;
  DWORD low_ = 0, high_ = 0;  // the byte locked
  bool locked_ = false;
};

}  // namespace qor
