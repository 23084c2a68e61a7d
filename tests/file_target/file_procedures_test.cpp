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

// A doubled separator leaves the directory part with a trailing "\": the
// listing must still find the directory, though a listing of the bare name
// with its "\" finds nothing.
TEST_F(FileProcedures, ADirectoryPartEndingInBackslashIsFoundWhenItExists) {
  ASSERT_TRUE(CreateDirectoryA((dir / "da").c_str(), nullptr));
  EXPECT_TRUE(CreateMissingDirectories(dir / "da\\\\f.txt"));
  EXPECT_TRUE(CreateMissingDirectories(dir / "fehlt\\\\f.txt")) << "created as a level";
  EXPECT_TRUE(DirectoryExists(dir / "fehlt"));
}

// Whether the file's directory exists afterwards; which levels are made is
// the end-to-end tests' part. Relative names resolve against the current
// directory, here the scratch one.
TEST_F(FileProcedures, CreateMissingDirectoriesReportsWhetherTheDirectoryExists) {
  const struct {
    const char* name;
    bool result;
  } cases[] = {
      {"f.txt", false},  // no directory part at all
      {"da\\f.txt", true},  {"eins\\zwei\\f.txt", true}, {"neu\\", true},
      {"x/y/f.txt", false}, {"ab\\cd\\f.txt", false},    {"abc\\cd\\f.txt", true},
  };
  ASSERT_TRUE(CreateDirectoryA((dir / "da").c_str(), nullptr));
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
  for (const auto& c : cases) EXPECT_EQ(CreateMissingDirectories(c.name), c.result) << c.name;
  SetCurrentDirectoryA(previous);
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
