#include "measured_call.h"

namespace setup_test {

MeasuredCall CallFiveArguments(const void* function, const uint32_t (&arguments)[5]) {
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
  return {eax, static_cast<int32_t>(offset)};
}

}  // namespace setup_test
