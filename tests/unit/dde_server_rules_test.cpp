#include "dde_server_rules.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>

#include "server_command_line.h"

namespace {

const std::string kOwn = "C:\\Programme\\QOR";

TEST(CompanionPath, BinBesideTheFirstBackslashWorkElseTheOwnDirectory) {
  const std::string own = kOwn + "\\dravo.exe";
  const struct {
    const char* workingData;
    std::string path;
    const char* why;
  } cases[] = {
      {"D:\\Bib\\work\\daten", "D:\\Bib\\bin\\dravo.exe", ""},
      {"C:\\x\\work\\app\\work\\d", "C:\\x\\bin\\dravo.exe", "the first \\work decides"},
      {"C:\\workspace\\x", "C:\\bin\\dravo.exe", "a plain substring"},
      {"\\\\srv\\anw\\work", "\\\\srv\\anw\\bin\\dravo.exe", ""},
      {"x\\work", "x\\bin\\dravo.exe", "position 2 is the first that counts"},
      {"D:\\Bib\\Work\\daten", own, "compared case-sensitively"},
      {"\\work\\daten", own, "position 1 does not count"},
      {"D:\\Bib\\daten", own, ""},
      {"", own, "key missing or empty"},
      {"C:\\", own, "shorter than 4 characters"},
      {"   C:\\  ", own, "shorter than 4 once trimmed"},
      {"   D:\\Bib\\work\\daten   ", "D:\\Bib\\bin\\dravo.exe", "trimmed of blanks"},
      {"\tD:\\Bib\\work", "\tD:\\Bib\\bin\\dravo.exe", "but of nothing else"},
      {" \\work", own, "position 1 after trimming"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompanionPathFromWorkingData(c.workingData, kOwn), c.path) << c.why;
  }
  EXPECT_EQ(CompanionPathFromWorkingData("", "C:\\"), "C:\\dravo.exe") << "a drive root";
  EXPECT_EQ(CompanionPathFromWorkingData("", ""), "\\dravo.exe");
}

TEST(CompanionIni, WindowsDirectoryJoinedWithTheFileName) {
  const char buffer[255] = "C:\\windows";
  EXPECT_EQ(CompanionIniPath(buffer, 10, 255), "C:\\windows\\ZIRARUDAZADER.INI");
  const char root[255] = "C:\\";
  EXPECT_EQ(CompanionIniPath(root, 3, 255), "C:\\ZIRARUDAZADER.INI");
  const char blanks[255] = " C:\\WINNT  ";
  EXPECT_EQ(CompanionIniPath(blanks, 11, 255), "C:\\WINNT\\ZIRARUDAZADER.INI");
  EXPECT_EQ(CompanionIniPath(buffer, 0, 255), "") << "directory unknown";
}

TEST(CompanionIni, DirectoryThatDidNotFitIsUnknownAndNotReadBeyondTheBuffer) {
  // GetWindowsDirectoryA then returns the size it needs, larger than the buffer.
  char small[8];
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(CompanionIniPath(small, 300, sizeof small), "");
  EXPECT_EQ(CompanionIniPath(small, 8, sizeof small), "");
}

TEST(ExecutableDirectory, KeepsTheBackslashOfADriveRootOnly) {
  EXPECT_EQ(ExecutableDirectory("C:\\Programme\\QOR\\qor.exe"), "C:\\Programme\\QOR");
  EXPECT_EQ(ExecutableDirectory("C:\\qor.exe"), "C:\\");
  EXPECT_EQ(ExecutableDirectory("\\\\srv\\share\\qor.exe"), "\\\\srv\\share");
  EXPECT_EQ(ExecutableDirectory("qor.exe"), "");
}

TEST(AddTrailingBackslash, AppendsOnlyWhenMissingAndChangesItsArgument) {
  std::string path = "C:\\x";
  EXPECT_EQ(AddTrailingBackslash(path), "C:\\x\\");
  EXPECT_EQ(path, "C:\\x\\");
  EXPECT_EQ(AddTrailingBackslash(path), "C:\\x\\");
  std::string empty;
  EXPECT_EQ(AddTrailingBackslash(empty), "\\");
  std::string slash = "C:/x/";
  EXPECT_EQ(AddTrailingBackslash(slash), "C:/x/\\") << "only a backslash counts";
}

TEST(VersionCode, ReleasesOfBothFamiliesAndZeroForEveryOtherCombination) {
  const struct {
    int platform, major, minor, code;
    const char* release;
  } cases[] = {
      {1, 4, 0, 1, "95"},     {1, 4, 10, 2, "98"},      {1, 4, 90, 3, "Me"},
      {2, 4, 0, 4, "NT 4.0"}, {2, 4, 77, 4, "NT 4.0"},  {2, 5, 0, 5, "2000"},
      {2, 5, 1, 6, "XP"},     {2, 5, 2, 0, "2003"},     {2, 6, 1, 0, "7"},
      {2, 10, 0, 0, "10"},    {2, 3, 51, 0, "NT 3.51"}, {1, 4, 1, 0, ""},
      {1, 5, 0, 0, ""},       {0, 4, 0, 0, "Win32s"},   {3, 4, 0, 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VersionCodeFor(c.platform, c.major, c.minor), c.code) << c.release;
  }
}

TEST(ScanNames, ModuleNameIsTheCopiedPartAndNeverMore) {
  char buffer[255];
  std::memset(buffer, ' ', sizeof buffer);
  std::memcpy(buffer, "C:\\a.exe", 8);
  EXPECT_EQ(ModulePathFromBuffer(buffer, 8, 255), "C:\\a.exe");
  EXPECT_EQ(ModulePathFromBuffer(buffer, 500, 255).size(), 255u);
}

TEST(ScanNames, SnapshotNameTrimmedThenCutAtTheNul) {
  char field[260];
  std::memset(field, 0, sizeof field);
  std::strcpy(field, "  C:\\BIB\\BIN\\DRAVO.EXE");
  EXPECT_EQ(SnapshotExeName(field, sizeof field), "C:\\BIB\\BIN\\DRAVO.EXE");

  std::strcpy(field, "C:\\a.exe  ");
  EXPECT_EQ(SnapshotExeName(field, sizeof field), "C:\\a.exe  ")
      << "blanks before the NUL are inside the trimmed text";

  // What a longer earlier entry left behind the NUL is not part of the name.
  std::memset(field, 'z', sizeof field);
  std::strcpy(field, "C:\\b.exe");
  EXPECT_EQ(SnapshotExeName(field, sizeof field), "C:\\b.exe");
}

TEST(ScanNames, SnapshotFieldWithoutNulStopsAtItsLastCharacter) {
  char field[260];
  std::memset(field, 'a', sizeof field);
  EXPECT_EQ(SnapshotExeName(field, sizeof field), std::string(259, 'a'));
}

void AsciiUpper(std::string& text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool Same(const std::string& sought, std::string_view running) {
  SoughtPath path(sought, 255, AsciiUpper);
  return SamePathIgnoringCase(path, running);
}

TEST(PathComparison, EqualInUpperCaseAndNothingElse) {
  EXPECT_TRUE(Same("c:\\Bib\\bin\\dravo.exe", "C:\\BIB\\BIN\\DRAVO.EXE"));
  EXPECT_FALSE(Same(" C:\\a.exe", "C:\\a.exe")) << "no trimming";
  EXPECT_FALSE(Same("C:\\a.exe", "C:\\a.exe "));
  EXPECT_FALSE(Same("C:\\PROGRA~1\\a.exe", "C:\\Program Files\\a.exe"));
  EXPECT_FALSE(Same("dravo.exe", "C:\\BIB\\BIN\\DRAVO.EXE"))
      << "a name without directory never matches a full path";
  EXPECT_FALSE(Same("C:\\a.exe", "C:\\a.ex"));
}

TEST(PathComparison, OneSoughtPathForAWholeScan) {
  SoughtPath sought("C:\\Bib\\bin\\dravo.exe", 255, AsciiUpper);
  EXPECT_FALSE(SamePathIgnoringCase(sought, "C:\\Windows\\explorer.exe"));
  EXPECT_FALSE(SamePathIgnoringCase(sought, "C:\\Bib\\bin\\dravo.ex"));
  EXPECT_TRUE(SamePathIgnoringCase(sought, "c:\\bib\\BIN\\Dravo.exe"))
      << "what an earlier comparison left is not part of the next";
}

// The files and folders of a made-up machine. A name without a directory is
// looked for in C:\Windows; ".exe" is tried where the last part has none.
std::set<std::string> programs;
std::set<std::string> folders;

bool MadeUpProgram(const std::string& name) {
  const std::string path = name.find('\\') == std::string::npos ? "C:\\Windows\\" + name : name;
  const size_t dot = path.find('.', path.find_last_of('\\') + 1);
  return programs.count(path) > 0 || (dot == std::string::npos && programs.count(path + ".exe") > 0);
}

bool MadeUpFolder(const std::string& path) { return folders.count(path) > 0; }

TEST(ServerCommandLine, QuotedOrWithoutBlankAsWrittenElseTheLongestPartThatNamesAProgram) {
  programs = {"C:\\Lieferung\\srv.exe", "C:\\Program.exe", "C:\\Program Files\\App\\app.exe",
              "C:\\Windows\\srv.exe", "C:\\Tools\\my.exe", "C:\\a b\\c d\\e.exe",
              "C:\\Tools\\viewer.exe", "C:\\" + std::string(256, 'a'),
              "C:\\" + std::string(257, 'b')};
  folders = {"C:\\Program Files", "C:\\Program Files\\App", "C:\\Tools\\my app", "C:\\a b",
             "C:\\a b\\c d"};
  const std::string none = "<none>";
  const struct {
    std::string value;
    std::string commandLine;  // <none>: nothing is started
    std::string arguments;
    const char* why;
  } cases[] = {
      {"C:\\Lieferung\\srv.exe", "C:\\Lieferung\\srv.exe", "", "without a blank: unchanged"},
      {"srv", "srv", "", "a bare name too: Windows finds it"},
      {"C:\\fehlt\\srv.exe", "C:\\fehlt\\srv.exe", "", "unchanged, whether it exists or not"},
      {"\"C:\\Programme\\Lieferung\\srv.exe\"", "\"C:\\Programme\\Lieferung\\srv.exe\"", "",
       "quoted by the job: unchanged"},
      {"\"C:\\Program Files\\App\\app.exe\" /dde", "\"C:\\Program Files\\App\\app.exe\" /dde", "",
       "quoted, with arguments: unchanged"},
      {"C:\\Lieferung\\srv.exe /dde", "\"C:\\Lieferung\\srv.exe\" /dde", "/dde",
       "a program and its argument"},
      {"C:\\Lieferung\\srv.exe  /a\t/b", "\"C:\\Lieferung\\srv.exe\"  /a\t/b", "/a\t/b",
       "the rest as it stands"},
      {"C:\\Lieferung\\srv.exe\t/dde", "\"C:\\Lieferung\\srv.exe\"\t/dde", "/dde",
       "a tab is a blank"},
      {"C:\\Lieferung\\srv /dde", "\"C:\\Lieferung\\srv\" /dde", "/dde", ".exe implied"},
      {"srv.exe /dde", "\"srv.exe\" /dde", "/dde", "a bare name on the search path"},
      {"C:\\Program Files\\App\\app.exe /dde", "\"C:\\Program Files\\App\\app.exe\" /dde",
       "/dde", "the longest part, never C:\\Program.exe"},
      {"C:\\Program Files\\App\\app.exe", "\"C:\\Program Files\\App\\app.exe\"", "",
       "a path with a blank, quoted"},
      {"C:\\Program Files\\App\\fehlt.exe /dde", none, "",
       "C:\\Program.exe is passed over: the value goes on through C:\\Program Files"},
      {"C:\\Program Neu\\fehlt.exe", "\"C:\\Program\" Neu\\fehlt.exe", "Neu\\fehlt.exe",
       "no folder C:\\Program Neu: the shorter part is the program"},
      {"C:\\Tools\\my app", none, "", "a folder is no program, and my.exe is passed over"},
      {"C:\\a b\\c d\\e.exe x", "\"C:\\a b\\c d\\e.exe\" x", "x", "two blanks in the path"},
      {"C:\\Tools\\viewer C:\\a b.txt", "\"C:\\Tools\\viewer\" C:\\a b.txt", "C:\\a b.txt",
       "an argument with a drive of its own"},
      {"C:\\fehlt\\a b", none, "", "no part names a program"},
      {"C:\\Lieferung\\srv.exe\"x /dde", none, "", "a quotation mark is in no file name"},
      {"C:\\" + std::string(256, 'a') + " x", "\"C:\\" + std::string(256, 'a') + "\" x", "x",
       "a part of 259 characters"},
      {"C:\\" + std::string(257, 'b') + " x", none, "", "longer than a program path can be"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const ServerCommand command = ServerCommandFor(c.value, {MadeUpProgram, MadeUpFolder});
    EXPECT_EQ(command.found ? command.commandLine : none, c.commandLine) << c.value;
    EXPECT_EQ(command.arguments, c.arguments);
    EXPECT_NE(command.start, ServerStart::kRefused);
  }
  const ServerCommand nul =
      ServerCommandFor("C:\\Lieferung\\srv.exe" + std::string(1, '\0') + " x", {MadeUpProgram, MadeUpFolder});
  EXPECT_EQ(nul.start, ServerStart::kRefused);
  EXPECT_FALSE(nul.found);
  EXPECT_EQ(ServerStartOf(std::string("\"a\"\0", 4)), ServerStart::kRefused) << "quoted too";
}

TEST(ServerCommandLine, PartsEndBeforeABlankOrAtTheEndLongestFirst) {
  using Parts = std::vector<std::string_view>;
  EXPECT_EQ(ProgramParts("a b  c"), (Parts{"a b  c", "a b", "a"}));
  EXPECT_EQ(ProgramParts("a b\t"), (Parts{"a b", "a"})) << "not the whole value with its blank";
  EXPECT_EQ(ProgramParts("\ta"), (Parts{"\ta"})) << "no empty part";
  EXPECT_EQ(ProgramParts(std::string(300, 'x')), Parts{});
}

}  // namespace

