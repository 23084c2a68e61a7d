// CheckMimeType of the real qor_set_dll.dll, loaded as the installer loads it,
// against shaped registry keys and setup.ini files.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "files.h"
#include "measured_call.h"
#include "qor_set_dll.h"
#include "registry_state.h"
#include "setup_texts.h"

namespace {

using namespace setup_test;

constexpr char kOtherClass[] = "QorTest.OtherClass";
constexpr char kOtherCommand[] = "QorTest.OtherClass\\shell\\open\\command";

class CheckMimeTypeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    function_ = CheckMimeTypeFunction();
    ASSERT_NE(function_, nullptr) << "qor_set_dll.dll not loadable: " << GetLastError();
    DeleteKey(HKEY_LOCAL_MACHINE, kAppPaths);
    DeleteKey(HKEY_CLASSES_ROOT, kFileType);
    DeleteKey(HKEY_CLASSES_ROOT, kOtherClass);
    e2e::CreateDirectories(sourceDir_);
  }

  static void Installed(const char* version, const char* path) {
    CreateKey(HKEY_LOCAL_MACHINE, kAppPaths);
    if (version != nullptr) SetString(HKEY_LOCAL_MACHINE, kAppPaths, "Version", version);
    if (path != nullptr) SetString(HKEY_LOCAL_MACHINE, kAppPaths, "Path", path);
  }

  static void WriteSetupIni(const std::string& dir, const std::string& productVersionLine) {
    std::ofstream ini(dir + "\\setup.ini", std::ios::binary);
    ini << "[Startup]\r\n" << productVersionLine << "\r\n";
  }

  Outcome Call(const std::string& sourceDir, int yesNoAnswer = IDNO) {
    return setup_test::Call(sourceDir.c_str(), yesNoAnswer);
  }

  static void ExpectNoBox(const Outcome& outcome) {
    EXPECT_TRUE(outcome.boxes.empty()) << "box shown: " << outcome.boxes.front().text;
  }

  // Passed without a question; InstallDir as expected ("": left alone).
  static void ExpectPassed(const Outcome& outcome, const std::string& installDir) {
    ExpectNoBox(outcome);
    EXPECT_TRUE(outcome.result);
    EXPECT_EQ(outcome.installDir, installDir.empty() ? kUntouched : installDir);
  }

  // One box with `text`, InstallDir left alone: a question with Yes and No
  // and an icon, or a notice with OK alone and none.
  static void ExpectBox(const Outcome& outcome, const std::string& text, bool question) {
    EXPECT_EQ(outcome.installDir, kUntouched);
    ASSERT_EQ(outcome.boxes.size(), 1u);
    const SeenBox& box = outcome.boxes[0];
    EXPECT_EQ(box.text, text);
    EXPECT_TRUE(question ? box.yesNoOnly() : box.okOnly());
    EXPECT_EQ(box.icon != nullptr, question);
    EXPECT_TRUE(box.topmost) << "not system-modal";
  }

  static void ExpectDowngradeBox(const Outcome& outcome, const std::string& text) {
    EXPECT_FALSE(outcome.result);
    ExpectBox(outcome, text, false);
  }

  static void ExpectConflictQuestion(const Outcome& outcome, const std::string& text) {
    ExpectBox(outcome, text, true);
  }

  const void* function_ = nullptr;
  const KeptKeys kept_{{{HKEY_LOCAL_MACHINE, kAppPaths},
                        {HKEY_CLASSES_ROOT, kFileType},
                        {HKEY_CLASSES_ROOT, kOtherClass}}};
  const e2e::TempDir base_;
  const std::string sourceDir_ = base_ / "source";
};

TEST_F(CheckMimeTypeTest, ExportedByNameAndOrdinalOneOnly) {
  const HMODULE library = GetModuleHandleA("qor_set_dll.dll");
  EXPECT_EQ(reinterpret_cast<const void*>(GetProcAddress(library, MAKEINTRESOURCEA(1))), function_);
  EXPECT_EQ(GetProcAddress(library, MAKEINTRESOURCEA(2)), nullptr);
  EXPECT_EQ(GetProcAddress(library, "CheckMimeType@20"), nullptr);
  EXPECT_EQ(GetProcAddress(library, "_CheckMimeType@20"), nullptr);
}

#if defined(__i386__)
// Every other call here pushes its arguments by hand; the installer's own
// call goes through a declared stdcall pointer. (64-bit calls always do.)
TEST_F(CheckMimeTypeTest, TypedStdcallPointerGivesTheSameAnswers) {
  const auto typed = reinterpret_cast<CheckMimeTypeProc>(function_);
  Installed("2.9", "C:\\QOR");
  WriteSetupIni(sourceDir_, "ProductVersion=2.10");
  char installDir[kInstallDirSize] = "unchanged";
  {
    BoxAnswerer answerer("QOR-Setup", IDNO);
    EXPECT_EQ(typed(0, sourceDir_.c_str(), 0, installDir, 0), 0);
    EXPECT_EQ(answerer.Stop().size(), 1u);
  }
  EXPECT_STREQ(installDir, "unchanged");
  Installed("2.10", nullptr);
  EXPECT_EQ(typed(0, sourceDir_.c_str(), 0, installDir, 0), 1);
  EXPECT_STREQ(installDir, "C:\\QOR");
}
#endif

struct VersionCase {
  const char* installed;
  const char* setup;
  bool downgrade;
};

class VersionCheckTest : public CheckMimeTypeTest,
                         public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionCheckTest, ComparesBytesAndHandsBackPath) {
  const VersionCase& c = GetParam();
  Installed(c.installed, "C:\\Programme\\QOR");
  WriteSetupIni(sourceDir_, std::string("ProductVersion=") + c.setup);
  const Outcome outcome = Call(sourceDir_);
  if (c.downgrade) {
    ExpectDowngradeBox(outcome, DowngradeText(c.installed, c.setup));
  } else {
    ExpectPassed(outcome, "C:\\Programme\\QOR");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionCheckTest,
    ::testing::Values(VersionCase{"2.9", "2.10", true}, VersionCase{"2.10", "2.9", false},
                      VersionCase{"2.1.5", "2.1", true}, VersionCase{"2.1", "2.1.5", false},
                      VersionCase{"2.1", "2.1", false}, VersionCase{"1.0.0", "1.0.1", false}));

TEST_F(CheckMimeTypeTest, VersionCheckPassesWithoutAnythingToCompare) {
  // No "Version": never newer.
  Installed(nullptr, "C:\\A");
  WriteSetupIni(sourceDir_, "ProductVersion=0.1");
  ExpectPassed(Call(sourceDir_), "C:\\A");

  // "ProductVersion" present but empty.
  Installed("2.1", "C:\\B");
  WriteSetupIni(sourceDir_, "ProductVersion=");
  ExpectPassed(Call(sourceDir_), "C:\\B");

  // No "ProductVersion" key, then no setup.ini at all.
  WriteSetupIni(sourceDir_, "Other=0.1");
  ExpectPassed(Call(sourceDir_), "C:\\B");
  DeleteFileA((sourceDir_ + "\\setup.ini").c_str());
  ExpectPassed(Call(sourceDir_), "C:\\B");
}

TEST_F(CheckMimeTypeTest, MissingSetupIniPassesWhateverTheInstalledVersionEndsIn) {
  // The profile read drops trailing blanks from its default; a missing
  // setup.ini must still not make "2.1 " look newer than itself.
  Installed("2.1 ", "C:\\QOR");
  ExpectPassed(Call(sourceDir_), "C:\\QOR");
  // With a setup.ini the bytes decide: the blank sorts after the end of "2.1".
  WriteSetupIni(sourceDir_, "ProductVersion=2.1");
  ExpectDowngradeBox(Call(sourceDir_), DowngradeText("2.1 ", "2.1"));
}

TEST_F(CheckMimeTypeTest, SourceDirEndingInBackslashStillFindsSetupIni) {
  Installed("2.1", "C:\\QOR");
  WriteSetupIni(sourceDir_, "ProductVersion=2.0");
  ExpectDowngradeBox(Call(sourceDir_ + "\\"), DowngradeText("2.1", "2.0"));
}

TEST_F(CheckMimeTypeTest, EmptyOrMissingPathLeavesInstallDirAlone) {
  Installed("2.1", "");
  WriteSetupIni(sourceDir_, "ProductVersion=2.2");
  ExpectPassed(Call(sourceDir_), "");
  DeleteKey(HKEY_LOCAL_MACHINE, kAppPaths);
  Installed("2.1", nullptr);
  ExpectPassed(Call(sourceDir_), "");
}

TEST_F(CheckMimeTypeTest, ExpandablePathIsTakenLiterally) {
  Installed("2.1", nullptr);
  SetValueBytes(HKEY_LOCAL_MACHINE, kAppPaths, "Path", REG_EXPAND_SZ,
                std::string("%ProgramFiles%\\QOR", 19));
  ExpectPassed(Call(sourceDir_), "%ProgramFiles%\\QOR");
}

TEST_F(CheckMimeTypeTest, InstalledProgramMeansNoQuestionAboutTheFileType) {
  SetString(HKEY_CLASSES_ROOT, kFileType, nullptr, kOtherClass);
  SetString(HKEY_CLASSES_ROOT, kOtherCommand, nullptr, "other.exe %1");
  Installed("2.1", "C:\\QOR");
  ExpectPassed(Call(sourceDir_), "C:\\QOR");
}

TEST_F(CheckMimeTypeTest, FreeFileTypeAndNoInstallationGoOnSilently) {
  ExpectPassed(Call(sourceDir_), "");
}

TEST_F(CheckMimeTypeTest, ConflictShowsTheOpenCommandAndFollowsTheAnswer) {
  SetString(HKEY_CLASSES_ROOT, kFileType, nullptr, kOtherClass);
  SetString(HKEY_CLASSES_ROOT, kOtherCommand, nullptr, "\"C:\\Other\\other.exe\" \"%1\"");
  const std::string text = ConflictText("\"C:\\Other\\other.exe\" \"%1\"");
  Outcome outcome = Call(sourceDir_, IDYES);
  ExpectConflictQuestion(outcome, text);
  EXPECT_TRUE(outcome.result);
  outcome = Call(sourceDir_, IDNO);
  ExpectConflictQuestion(outcome, text);
  EXPECT_FALSE(outcome.result);
}

TEST_F(CheckMimeTypeTest, ConflictWithoutCommandKeyShowsTheClassName) {
  SetString(HKEY_CLASSES_ROOT, kFileType, nullptr, kOtherClass);
  CreateKey(HKEY_CLASSES_ROOT, kOtherClass);
  const Outcome outcome = Call(sourceDir_, IDYES);
  ExpectConflictQuestion(outcome, ConflictText(kOtherClass));
  EXPECT_TRUE(outcome.result);
}

TEST_F(CheckMimeTypeTest, ConflictWithoutClassHasTwoLines) {
  const std::string twoLines = ConflictText("");
  CreateKey(HKEY_CLASSES_ROOT, kFileType);
  Outcome outcome = Call(sourceDir_, IDNO);
  ExpectConflictQuestion(outcome, twoLines);
  EXPECT_FALSE(outcome.result);

  SetString(HKEY_CLASSES_ROOT, kFileType, nullptr, "");
  outcome = Call(sourceDir_, IDYES);
  ExpectConflictQuestion(outcome, twoLines);
  EXPECT_TRUE(outcome.result);

  // A command key whose default value is missing.
  SetString(HKEY_CLASSES_ROOT, kFileType, nullptr, kOtherClass);
  CreateKey(HKEY_CLASSES_ROOT, kOtherCommand);
  outcome = Call(sourceDir_, IDYES);
  ExpectConflictQuestion(outcome, twoLines);
}

TEST_F(CheckMimeTypeTest, BoxIsOwnedByTheFocusWindow) {
  const HWND window = CreateWindowExA(0, "STATIC", "installer", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                      0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);
  SetFocus(window);
  ASSERT_EQ(GetFocus(), window);
  CreateKey(HKEY_CLASSES_ROOT, kFileType);
  const Outcome outcome = Call(sourceDir_, IDYES);
  DestroyWindow(window);
  ASSERT_EQ(outcome.boxes.size(), 1u);
  EXPECT_EQ(outcome.boxes[0].owner, window);
}

TEST_F(CheckMimeTypeTest, CallsAreIndependent) {
  Installed("3.0", "C:\\Neu");
  WriteSetupIni(sourceDir_, "ProductVersion=2.0");
  ExpectDowngradeBox(Call(sourceDir_), DowngradeText("3.0", "2.0"));
  WriteSetupIni(sourceDir_, "ProductVersion=3.1");
  ExpectPassed(Call(sourceDir_), "C:\\Neu");
  DeleteKey(HKEY_LOCAL_MACHINE, kAppPaths);
  CreateKey(HKEY_CLASSES_ROOT, kFileType);
  const Outcome outcome = Call(sourceDir_, IDNO);
  EXPECT_FALSE(outcome.result);
  EXPECT_EQ(outcome.installDir, kUntouched);
}

TEST_F(CheckMimeTypeTest, NullSourceDirCountsAsNoSetupIni) {
  Installed("2.1", "C:\\QOR");
  ExpectPassed(setup_test::Call(nullptr, IDNO), "C:\\QOR");
}

TEST_F(CheckMimeTypeTest, NullInstallDirIsNotWritten) {
  Installed("2.1", "C:\\QOR");
  WriteSetupIni(sourceDir_, "ProductVersion=2.2");
  Outcome outcome = setup_test::Call(sourceDir_.c_str(), IDNO, false);
  EXPECT_TRUE(outcome.result);
  EXPECT_TRUE(outcome.installDirUntouched);
  WriteSetupIni(sourceDir_, "ProductVersion=2.0");
  outcome = setup_test::Call(sourceDir_.c_str(), IDNO, false);
  EXPECT_FALSE(outcome.result);
  EXPECT_EQ(outcome.boxes.size(), 1u);
}

TEST_F(CheckMimeTypeTest, LongSourceDirIsReadWholeOrNotAtAll) {
  // 246 characters: the profile path no longer fits 256 bytes, but it is a
  // valid path and its setup.ini is the one read.
  std::string longDir = sourceDir_;
  while (longDir.size() < 246) {
    longDir += "\\" + std::string(std::min<size_t>(40, 246 - longDir.size() - 1), 'd');
  }
  ASSERT_EQ(longDir.size(), 246u);
  e2e::CreateDirectories(longDir);
  WriteSetupIni(longDir, "ProductVersion=2.0");
  Installed("2.1", "C:\\QOR");
  ExpectDowngradeBox(Call(longDir), DowngradeText("2.1", "2.0"));

  // A directory too long for any profile path: as if there were no setup.ini,
  // never a cut path that could name another file.
  const std::string cutToSetupIni = base_ / std::string(300 - base_.path().size(), 'e');
  WriteSetupIni(base_.path(), "ProductVersion=1.0");
  ExpectPassed(Call(cutToSetupIni), "C:\\QOR");
  ExpectPassed(Call(std::string(5000, 'x')), "C:\\QOR");
}

TEST_F(CheckMimeTypeTest, PathOf255CharactersFillsInstallDirExactly) {
  const std::string path = "C:\\" + std::string(252, 'p');
  Installed("2.1", path.c_str());
  ExpectPassed(Call(sourceDir_), path);
}

TEST_F(CheckMimeTypeTest, PathThatDoesNotFitIsNeverCut) {
  Installed("2.1", ("C:\\" + std::string(253, 'p')).c_str());
  ExpectPassed(Call(sourceDir_), "");
  // 256 bytes without a terminator.
  SetValueBytes(HKEY_LOCAL_MACHINE, kAppPaths, "Path", REG_BINARY, std::string(256, 'q'));
  ExpectPassed(Call(sourceDir_), "");
  SetValueBytes(HKEY_LOCAL_MACHINE, kAppPaths, "Path", REG_SZ, std::string(256, 'q'));
  ExpectPassed(Call(sourceDir_), "");
}

TEST_F(CheckMimeTypeTest, ValueWithoutTerminatorEndsAtItsLength) {
  Installed("2.1", nullptr);
  SetValueBytes(HKEY_LOCAL_MACHINE, kAppPaths, "Path", REG_BINARY, "C:\\NoTerm");
  Outcome outcome = Call(sourceDir_);
  EXPECT_EQ(outcome.installDir, "C:\\NoTerm");
  SetValueBytes(HKEY_LOCAL_MACHINE, kAppPaths, "Version", REG_BINARY, "3.0");
  WriteSetupIni(sourceDir_, "ProductVersion=2.0");
  ExpectDowngradeBox(Call(sourceDir_), DowngradeText("3.0", "2.0"));
}

TEST_F(CheckMimeTypeTest, OverlongVersionsAndReferences) {
  // An installed version that does not fit reads as missing: no comparison.
  Installed(std::string(300, '9').c_str(), "C:\\QOR");
  WriteSetupIni(sourceDir_, "ProductVersion=1.0");
  ExpectPassed(Call(sourceDir_), "C:\\QOR");

  // A setup version that does not fit is cut to 255 characters by the profile read.
  Installed("9", "C:\\QOR");
  WriteSetupIni(sourceDir_, "ProductVersion=" + std::string(300, '1'));
  ExpectDowngradeBox(Call(sourceDir_), DowngradeText("9", std::string(255, '1')));

  // Class name and command line that do not fit: no "Programmverweis" line.
  DeleteKey(HKEY_LOCAL_MACHINE, kAppPaths);
  const std::string twoLines = ConflictText("");
  SetString(HKEY_CLASSES_ROOT, kFileType, nullptr, std::string(300, 'c'));
  ExpectConflictQuestion(Call(sourceDir_, IDNO), twoLines);
  SetString(HKEY_CLASSES_ROOT, kFileType, nullptr, kOtherClass);
  SetString(HKEY_CLASSES_ROOT, kOtherCommand, nullptr, std::string(300, 'x'));
  ExpectConflictQuestion(Call(sourceDir_, IDNO), twoLines);
}

TEST_F(CheckMimeTypeTest, KeyProbeSeesAKeyLeftOpen) {
  // The check that every call closes its keys is only worth something if the
  // probe finds an open one.
  Installed("2.1", nullptr);
  SetString(HKEY_CLASSES_ROOT, kOtherCommand, nullptr, "x");
  HKEY appPaths = nullptr;
  HKEY command = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppPaths, 0, KEY_READ, &appPaths), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, kOtherCommand, 0, KEY_READ, &command), ERROR_SUCCESS);
  const std::map<uintptr_t, std::wstring> open = OpenKeysNamed(kLibraryKeys);
  RegCloseKey(appPaths);
  RegCloseKey(command);
  EXPECT_EQ(open.size(), 2u);
  EXPECT_EQ(open.count(reinterpret_cast<uintptr_t>(appPaths)), 1u);
  EXPECT_EQ(open.count(reinterpret_cast<uintptr_t>(command)), 1u);
  EXPECT_TRUE(OpenKeysNamed(kLibraryKeys).empty());
}

}  // namespace
