// CheckMimeType of the real qor_set_dll.dll against a few hundred random
// installation states: registry values of every type and of lengths around and
// far beyond its 256-byte reads, setup.ini files in short and over-long
// source directories, message boxes answered at random. Every call must return
// with a balanced stack, a boolean result, InstallDir written within its 256
// bytes, no key left open, and the answer worked out from what was written.
//
// The seed is printed; QOR_RANDOM_SEED=<seed> replays a run.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "measured_call.h"
#include "random_setup_case.h"
#include "registry_state.h"
#include "setup_texts.h"

namespace {

using namespace setup_test;

constexpr int kCalls = 300;
constexpr uint32_t kDefaultSeed = 20240611;

uint32_t Seed() {
  const char* text = std::getenv("QOR_RANDOM_SEED");
  return text != nullptr && *text != '\0' ? static_cast<uint32_t>(std::strtoul(text, nullptr, 0))
                                          : kDefaultSeed;
}

enum class Box { kNone, kDowngrade, kConflict };

struct Expectation {
  bool result = true;
  Box box = Box::kNone;
  std::string boxText;
  std::string installDir;  // empty: InstallDir untouched
};

// Bytes compared unsigned, a shorter text sorting first: the installed
// version is newer exactly when the setup version sorts before it.
bool SortsBefore(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  });
}

// The setup version as the profile read gives it, from the path the library
// is documented to form: "<SourceDir>\setup.ini" when that fits 259
// characters, otherwise none.
std::string SetupVersion(const RandomCase& c) {
  if (c.sourceDirNull) return {};
  const std::string path = c.sourceDir + "\\setup.ini";
  if (path.size() >= MAX_PATH) return {};
  char buffer[256] = {};
  const DWORD length = GetPrivateProfileStringA("Startup", "ProductVersion", "", buffer,
                                                sizeof buffer, path.c_str());
  return std::string(buffer, length);
}

Expectation Expect(const RandomCase& c) {
  Expectation e;
  if (c.appPaths) {
    const std::string installed = ExpectedText(c.version);
    const std::string setup = SetupVersion(c);
    if (!setup.empty() && SortsBefore(setup, installed)) {
      e.result = false;
      e.box = Box::kDowngrade;
      e.boxText = DowngradeText(installed, setup);
    } else {
      e.installDir = ExpectedText(c.path);
    }
    return e;
  }
  if (!c.fileType) return e;
  const std::string className = ExpectedText(c.className);
  std::string reference = className;
  if (!className.empty() && c.commandKeyMade && className == c.classKey) {
    reference = ExpectedText(c.command);
  }
  e.result = c.answer == IDYES;
  e.box = Box::kConflict;
  e.boxText = ConflictText(reference);
  return e;
}

struct Tally {
  int downgrades = 0;
  int conflictsYes = 0;
  int conflictsNo = 0;
  int silentFree = 0;
  int installDirWritten = 0;
  int installDirLongest = 0;  // 255 characters
  int installedUntouched = 0;
  int setupIniRead = 0;
  int decoys = 0;
};

class CheckMimeTypeRandomTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(CheckMimeTypeFunction(), nullptr) << "qor_set_dll.dll not loadable";
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    base_ = std::string(temp) + "qor_random_" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(base_.c_str(), nullptr)) << base_ << ": " << GetLastError();
  }

  void TearDown() override {
    EXPECT_TRUE(RemoveDirectoryA(base_.c_str())) << "files left in " << base_;
  }

  // One call with InstallDir inside guard bytes, checked against `e`.
  void CallAndCheck(const RandomCase& c, const Expectation& e, Tally& tally) {
    const Outcome outcome = Call(c.sourceDirNull ? nullptr : c.sourceDir.c_str(), c.answer);
    EXPECT_EQ(outcome.result, e.result);
    EXPECT_EQ(outcome.installDir, e.installDir.empty() ? kUntouched : e.installDir);
    if (e.installDir.empty()) {
      EXPECT_TRUE(outcome.installDirUntouched)
          << "InstallDir changed though it should stay untouched";
    }
    if (e.box == Box::kNone) {
      EXPECT_TRUE(outcome.boxes.empty()) << "box shown: " << outcome.boxes.front().text;
    } else {
      ASSERT_EQ(outcome.boxes.size(), 1u);
      EXPECT_EQ(outcome.boxes[0].text, e.boxText);
      EXPECT_TRUE(e.box == Box::kDowngrade ? outcome.boxes[0].okOnly()
                                           : outcome.boxes[0].yesNoOnly());
    }

    tally.downgrades += e.box == Box::kDowngrade;
    tally.conflictsYes += e.box == Box::kConflict && c.answer == IDYES;
    tally.conflictsNo += e.box == Box::kConflict && c.answer == IDNO;
    tally.silentFree += !c.appPaths && !c.fileType;
    tally.installDirWritten += !e.installDir.empty();
    tally.installDirLongest += e.installDir.size() == 255;
    tally.installedUntouched += c.appPaths && e.box == Box::kNone && e.installDir.empty();
    tally.setupIniRead += c.appPaths && !SetupVersion(c).empty();
    tally.decoys += !c.decoyIni.empty();
  }

  const KeptKeys kept_{{{HKEY_LOCAL_MACHINE, kAppPaths},
                        {HKEY_CLASSES_ROOT, kFileType},
                        {HKEY_CLASSES_ROOT, kRandomClass}}};
  std::string base_;
};

TEST_F(CheckMimeTypeRandomTest, RandomRegistryAndSetupIni) {
  const uint32_t seed = Seed();
  std::printf("QOR_RANDOM_SEED=%lu (set it to replay this run)\n",
              static_cast<unsigned long>(seed));
  RecordProperty("seed", std::to_string(seed));
  std::mt19937 rng(seed);
  Tally tally;
  int calls = 0;
  const auto start = std::chrono::steady_clock::now();

  for (int number = 0; number < kCalls; ++number) {
    RandomCase c = DrawCase(rng, base_, number);
    try {
      WriteRegistry(c);
    } catch (const std::exception& e) {
      RemoveRegistry(c);
      FAIL() << "seed " << seed << ", call " << number << ": " << e.what();
    }
    const MadeFiles made = WriteFiles(c, base_);
    {
      std::string written;
      for (const std::string& file : made.files) written += "\nwritten: " + file;
      SCOPED_TRACE("seed " + std::to_string(seed) + ", call " + std::to_string(number) + "\n" +
                   Describe(c) + written);
      CallAndCheck(c, Expect(c), tally);
    }
    RemoveFiles(made);
    RemoveRegistry(c);
    ++calls;
    if (HasFailure()) break;
  }

  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
  std::printf(
      "%d calls in %.1f s: %d downgrades, %d conflicts answered Yes, %d No, %d free, "
      "InstallDir written %d times (%d with 255 characters), installed but left alone %d, "
      "setup.ini read %d, decoys %d\n",
      calls, seconds.count(), tally.downgrades, tally.conflictsYes, tally.conflictsNo,
      tally.silentFree, tally.installDirWritten, tally.installDirLongest, tally.installedUntouched,
      tally.setupIniRead, tally.decoys);
  if (HasFailure()) return;
  // A run that never reached a path proves nothing about it.
  EXPECT_GT(tally.downgrades, 0);
  EXPECT_GT(tally.conflictsYes, 0);
  EXPECT_GT(tally.conflictsNo, 0);
  EXPECT_GT(tally.silentFree, 0);
  EXPECT_GT(tally.installDirWritten, 0);
  EXPECT_GT(tally.installedUntouched, 0);
  EXPECT_GT(tally.decoys, 0);
}

}  // namespace
