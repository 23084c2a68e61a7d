// Calls CheckMimeType as the installer does, with arguments 1, 3 and 5 set to
// marker values. In a 32-bit process the call is made with raw pushes, and the
// stack pointer is checked afterwards: a stdcall function removes its own 20
// bytes. A 64-bit process has one calling convention, so there the call goes
// through the typed pointer.
#pragma once

#include <cstdint>

namespace setup_test {

// The whole result register in a 32-bit process (the result is its low
// byte); the one-byte result in a 64-bit one.
uint32_t CallCheckMimeType(const void* function, const char* sourceDir, char* installDir);

}  // namespace setup_test
