#include "measured_call.h"

#include <gtest/gtest.h>

#include <cstring>

#include "files.h"
#include "qor_set_dll.h"
#include "registry_state.h"
#include "setup_texts.h"

namespace setup_test {

const void* CheckMimeTypeFunction() {
  static const HMODULE library = LoadLibraryA((e2e::BinDir() + "\\qor_set_dll.dll").c_str());
  return library == nullptr
             ? nullptr
             : reinterpret_cast<const void*>(GetProcAddress(library, "CheckMimeType"));
}

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

Outcome Call(const char* sourceDir, int yesNoAnswer, bool withInstallDir) {
  std::vector<char> buffer(kGuard + kInstallDirSize + kGuard, kGuardByte);
  char* installDir = buffer.data() + kGuard;
  for (size_t i = 0; i < kInstallDirSize; ++i) installDir[i] = static_cast<char>(0x40 + i % 61);
  std::memcpy(installDir, kUntouched, sizeof kUntouched);
  const std::vector<char> before(buffer);

  Outcome outcome;
  uint32_t resultRegister = 0;
  {
    BoxAnswerer answerer("QOR-Setup", yesNoAnswer);
    resultRegister = CallCheckMimeType(CheckMimeTypeFunction(), sourceDir,
                                       withInstallDir ? installDir : nullptr);
    outcome.boxes = answerer.Stop();
  }
  EXPECT_EQ(OpenKeysNamed(kLibraryKeys).size(), 0u) << "registry keys left open";
  const uint8_t result = static_cast<uint8_t>(resultRegister & 0xFF);
  EXPECT_TRUE(result == 0 || result == 1) << "result byte " << int(result);
  outcome.result = result == 1;
  for (size_t i = 0; i < kGuard; ++i) {
    EXPECT_EQ(buffer[i], kGuardByte) << "written before InstallDir at " << i;
    EXPECT_EQ(buffer[kGuard + kInstallDirSize + i], kGuardByte)
        << "written behind the 256 bytes of InstallDir at " << i;
  }
  EXPECT_NE(std::memchr(installDir, '\0', kInstallDirSize), nullptr)
      << "InstallDir left without a terminator";
  outcome.installDir.assign(installDir, strnlen(installDir, kInstallDirSize));
  outcome.installDirUntouched = buffer == before;
  return outcome;
}

}  // namespace setup_test
