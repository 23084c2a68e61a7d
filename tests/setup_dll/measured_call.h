// Calls CheckMimeType as the installer does, with arguments 1, 3 and 5 set to
// marker values. In a 32-bit process the call is made with raw pushes, and the
// stack pointer is checked afterwards: a stdcall function removes its own 20
// bytes. A 64-bit process has one calling convention, so there the call goes
// through the typed pointer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "box_answerer.h"

namespace setup_test {

// CheckMimeType of qor_set_dll.dll beside the test program, as loaded.
const void* CheckMimeTypeFunction();

// The whole result register in a 32-bit process (the result is its low
// byte); the one-byte result in a 64-bit one.
uint32_t CallCheckMimeType(const void* function, const char* sourceDir, char* installDir);

struct Outcome {
  bool result = false;
  std::string installDir;           // up to its terminator
  bool installDirUntouched = true;  // every byte as before the call
  std::vector<SeenBox> boxes;       // answered OK, or as the call asked
};

// One call with InstallDir (unless `withInstallDir` is false) inside guard
// bytes and every "QOR-Setup" box answered: OK, or `yesNoAnswer` when it asks.
// Checks what every call must hold: the callee removed its arguments, the
// result is a one-byte boolean, nothing around InstallDir was written, it
// keeps a terminator, and no registry key the library opens was left open.
Outcome Call(const char* sourceDir, int yesNoAnswer, bool withInstallDir = true);

}  // namespace setup_test
