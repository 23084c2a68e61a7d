// The file target's procedures called directly inside one process: their
// results, which qor.exe itself never looks at, and the directory listing
// used as the existence test.
#include <gtest/gtest.h>

#include "file_target.h"
#include "qor_e2e.h"
#include "qor_state.h"

using namespace e2e;

namespace {

class FileProcedures : public ::testing::Test {
 protected:
  void SetUp() override { TraceOn = false; }
  TempDir dir;
};

TEST_F(FileProcedures, CreateMissingDirectoriesReportsWhetherTheDirectoryExists) {
  EXPECT_TRUE(CreateMissingDirectories(dir / "f.txt")) << "present already";
  EXPECT_TRUE(CreateMissingDirectories(dir / "a\\b\\f.txt"));
  EXPECT_TRUE(DirectoryExists(dir / "a\\b"));
  EXPECT_TRUE(CreateMissingDirectories(dir / "neu\\"));
  EXPECT_TRUE(DirectoryExists(dir / "neu"));
}

// A doubled separator leaves the directory part with a trailing "\": the
// listing must still find the directory, though a listing of the bare name
// with its "\" finds nothing.
TEST_F(FileProcedures, ADirectoryPartEndingInBackslashIsFoundWhenItExists) {
  ASSERT_TRUE(CreateDirectoryA((dir / "da").c_str(), nullptr));
  EXPECT_TRUE(CreateMissingDirectories(dir / "da\\\\f.txt"));
  EXPECT_TRUE(CreateMissingDirectories(dir / "fehlt\\\\f.txt")) << "created as a level";
  EXPECT_TRUE(DirectoryExists(dir / "fehlt"));
}

TEST_F(FileProcedures, CreateMissingDirectoriesCreatesNothingForBareOrShortNames) {
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
  const bool bare = CreateMissingDirectories("f.txt");
  const bool slashed = CreateMissingDirectories("x/y/f.txt");
  const bool shortFirst = CreateMissingDirectories("ab\\cd\\f.txt");
  const bool longFirst = CreateMissingDirectories("abc\\cd\\f.txt");
  SetCurrentDirectoryA(previous);
  EXPECT_FALSE(bare);
  EXPECT_FALSE(slashed);
  EXPECT_FALSE(shortFirst);
  EXPECT_FALSE(DirectoryExists(dir / "ab"));
  EXPECT_FALSE(DirectoryExists(dir / "x"));
  EXPECT_TRUE(longFirst);
  EXPECT_TRUE(DirectoryExists(dir / "abc\\cd"));
}

TEST_F(FileProcedures, ResultsAreZeroOrTheErrorNumber) {
  EXPECT_EQ(SaveToFile(dir / "s.txt", "abc", 3), 0);
  EXPECT_EQ(AppendToFile(dir / "s.txt", "def", 3), 0);
  EXPECT_EQ(Content(dir / "s.txt"), "abcdef");
  EXPECT_EQ(SaveToFile(dir.path(), "abc", 3), 75);
  EXPECT_EQ(AppendToFile(dir.path(), "abc", 3), 75);
  EXPECT_EQ(SaveToFile(dir / "a/b/f.txt", "abc", 3), 76);
  EXPECT_EQ(AppendToFile(dir / "a/b/f.txt", "abc", 3), 76);
}

TEST_F(FileProcedures, CountSelectsTheLeadingCharactersAndNeverReadsPastThePayload) {
  EXPECT_EQ(SaveToFile(dir / "teil.txt", "abcdef", 4), 0);
  EXPECT_EQ(Content(dir / "teil.txt"), "abcd");
  EXPECT_EQ(AppendToFile(dir / "teil.txt", "xyz", 1000), 0);
  EXPECT_EQ(Content(dir / "teil.txt"), "abcdxyz");
  EXPECT_EQ(SaveToFile(dir / "null.txt", "abc", -1), 0);
  EXPECT_EQ(Content(dir / "null.txt"), "");
}

}  // namespace
