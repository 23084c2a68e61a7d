// What the images of the shipped programs declare to Windows.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "qor_e2e.h"

using namespace e2e;

namespace {

const char* const kPrograms[] = {"qor.exe", "qorcheck.exe"};

// 64-bit Windows gives a 32-bit program 4 GB of addresses instead of 2 GB
// when its header allows it.
TEST(ProgramImage, MayUseAddressesAboveTwoGigabytes) {
  for (const char* program : kPrograms) {
    SCOPED_TRACE(program);
    std::string image;
    ASSERT_TRUE(ReadFileBytes(BinDir() + "\\" + program, image));
    ASSERT_GT(image.size(), 0x40u);
    uint32_t peAt = 0;
    std::memcpy(&peAt, &image[0x3C], sizeof peAt);
    ASSERT_LT(size_t{peAt} + 24, image.size());
    ASSERT_EQ(image.compare(peAt, 4, std::string("PE\0\0", 4)), 0);
    uint16_t characteristics = 0;
    std::memcpy(&characteristics, &image[peAt + 4 + 18], sizeof characteristics);
    EXPECT_TRUE(characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE);
  }
}

// The manifest asks to run as the invoker (so Vista and later refuse a write
// the user may not make instead of moving it to a VirtualStore), in the asm.v2
// form older XP releases load, and declares no supported releases (which
// would change what GetVersionExA reports on 8.1 and later).
TEST(ProgramImage, ManifestAsksToRunAsTheInvoker) {
  for (const char* program : kPrograms) {
    SCOPED_TRACE(program);
    HMODULE module =
        LoadLibraryExA((BinDir() + "\\" + program).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    std::string manifest;
    if (found != nullptr) {
      const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
      if (bytes != nullptr) manifest.assign(bytes, SizeofResource(module, found));
    }
    FreeLibrary(module);
    ASSERT_FALSE(manifest.empty()) << "no manifest resource";
    EXPECT_NE(manifest.find("<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v2\">"),
              std::string::npos);
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"),
              std::string::npos);
    EXPECT_EQ(manifest.find("asm.v3"), std::string::npos);
    EXPECT_EQ(manifest.find("supportedOS"), std::string::npos);
  }
}

}  // namespace
