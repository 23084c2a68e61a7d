// Path arithmetic of the file target: which directory a file lies in, which
// levels may be created, and what is listed to tell whether a path exists.
#include <gtest/gtest.h>

#include "file_paths.h"

using Strings = std::vector<std::string>;

namespace {

// Each case: the path and what the function makes of it.
template <typename Result>
struct Case {
  std::string path;
  Result result;
  const char* why = "";
};

TEST(DirectoryPart, IsEverythingBeforeTheLastBackslash) {
  const std::string bytes("C:\\\304nderung\\\x80\xFF", 14);
  const Case<std::string> cases[] = {
      {"C:\\Export\\2024\\liste.txt", "C:\\Export\\2024"},
      {"\\\\server\\share\\neu\\f.txt", "\\\\server\\share\\neu"},
      {"ab\\cd\\f.txt", "ab\\cd"},
      {"C:\\liste.txt", "C:"},
      {"C:\\neu\\", "C:\\neu", "a name ending in a backslash loses only that one"},
      {"C:\\a\\\\f.txt", "C:\\a\\", "a doubled separator leaves one of its backslashes"},
      {"", ""},
      {"f", ""},
      {"liste.txt", ""},
      {"\\liste.txt", "", "only a leading backslash"},
      {"\\", ""},
      {"C:/Export/neu/liste.txt", "", "forward slashes separate nothing"},
      {bytes + "\\f\xE9.txt", bytes, "every byte of the directory is kept"},
  };
  for (const auto& c : cases) EXPECT_EQ(DirectoryPart(c.path), c.result) << c.path << ": " << c.why;
}

TEST(DirectoryPrefixes, AreTheLevelsThatMayBeCreatedWithTheirBackslashShortestFirst) {
  const Case<Strings> cases[] = {
      {"C:\\a\\b\\c", {"C:\\a\\", "C:\\a\\b\\"}},
      {"C:\\Export\\neu", {"C:\\Export\\"}},
      {"C:\\neu", {}, "C:\\ is a drive root"},
      {"C:", {}},
      {"", {}},
      {"\\\\server\\share\\neu", {"\\\\server\\", "\\\\server\\share\\"}},
      {"ab\\cd", {}, "ab\\ has three characters"},
      {"a\\cd", {}},
      {"abc\\cd", {"abc\\"}},
      {"\\abc\\d", {"\\abc\\"}},
      {"C:\\a\\\\b", {"C:\\a\\", "C:\\a\\\\"}, "a doubled separator is a level of its own"},
      {"C:\\a\\", {"C:\\a\\"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DirectoryPrefixes(c.path), c.result) << c.path << ": " << c.why;
  }
}

TEST(ExistencePattern, ListsTheDirectoryForATrailingBackslashElseTheNameItself) {
  const Case<std::string> cases[] = {
      {"C:\\neu\\", "C:\\neu\\*"},
      {"\\\\server\\share\\", "\\\\server\\share\\*"},
      {"C:\\neu", "C:\\neu"},
      {"C:\\neu\\liste.txt", "C:\\neu\\liste.txt"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ExistencePattern(c.path), c.result) << c.path;
}

TEST(TemporaryNameBeside, LiesInTheFileFolderAsTheSystemSeesIt) {
  EXPECT_EQ(TemporaryNameBeside("C:\\Export\\liste.txt", 0x1a2b, 0), "C:\\Export\\~qor1a2b-0.tmp");
  EXPECT_EQ(TemporaryNameBeside("\\\\srv\\share\\f.txt", 7, 3), "\\\\srv\\share\\~qor7-3.tmp");
  EXPECT_EQ(TemporaryNameBeside("C:/Export/liste.txt", 7, 0), "C:/Export/~qor7-0.tmp");
  EXPECT_EQ(TemporaryNameBeside("C:liste.txt", 7, 0), "C:~qor7-0.tmp")
      << "drive C's current folder";
  EXPECT_EQ(TemporaryNameBeside("liste.txt", 0xffffffff, 15), "~qorffffffff-f.tmp");
}

}  // namespace
