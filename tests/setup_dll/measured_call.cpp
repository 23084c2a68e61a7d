#include "measured_call.h"

#include <gtest/gtest.h>

#include "qor_set_dll.h"

namespace setup_test {

#if defined(__i386__)

uint32_t CallCheckMimeType(const void* function, const char* sourceDir, char* installDir) {
  const uint32_t arguments[5] = {0x11111111u, reinterpret_cast<uint32_t>(sourceDir), 0x33333333u,
                                 reinterpret_cast<uint32_t>(installDir), 0x55555555u};
  uint32_t eax = 0;
  uint32_t offset = 0;
  const uint32_t* args = arguments;
  // ESI is preserved by the callee, so it holds the stack pointer across the
  // call; whatever the callee left, ESP is put back before C++ resumes.
  asm volatile(
      "movl %%esp, %%esi\n\t"
      "pushl 16(%%edi)\n\t"
      "pushl 12(%%edi)\n\t"
      "pushl 8(%%edi)\n\t"
      "pushl 4(%%edi)\n\t"
      "pushl (%%edi)\n\t"
      "call *%%edx\n\t"
      "movl %%esp, %%ecx\n\t"
      "subl %%esi, %%ecx\n\t"
      "movl %%esi, %%esp\n\t"
      : "=a"(eax), "=c"(offset), "+D"(args), "+d"(function)
      :
      : "esi", "memory", "cc");
  EXPECT_EQ(static_cast<int32_t>(offset), 0)
      << "the callee did not remove its 20 bytes of arguments";
  return eax;
}

#else

uint32_t CallCheckMimeType(const void* function, const char* sourceDir, char* installDir) {
  const auto checkMimeType = reinterpret_cast<CheckMimeTypeProc>(function);
  return checkMimeType(0x11111111u, sourceDir, 0x33333333u, installDir, 0x55555555u);
}

#endif

}  // namespace setup_test
