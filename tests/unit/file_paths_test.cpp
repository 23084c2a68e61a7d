// Path arithmetic of the file target: which directory a file lies in, which
// levels may be created, and what is listed to tell whether a path exists.
#include <gtest/gtest.h>

#include "file_paths.h"

using Strings = std::vector<std::string>;

namespace {

TEST(DirectoryPart, DropsTheLastComponentAndItsBackslash) {
  EXPECT_EQ(DirectoryPart("C:\\Export\\2024\\liste.txt"), "C:\\Export\\2024");
  EXPECT_EQ(DirectoryPart("\\\\server\\share\\neu\\f.txt"), "\\\\server\\share\\neu");
  EXPECT_EQ(DirectoryPart("ab\\cd\\f.txt"), "ab\\cd");
  EXPECT_EQ(DirectoryPart("C:\\liste.txt"), "C:");
}

TEST(DirectoryPart, ANameEndingInBackslashLosesOnlyThatBackslash) {
  EXPECT_EQ(DirectoryPart("C:\\neu\\"), "C:\\neu");
  // A doubled separator leaves one of its backslashes behind.
  EXPECT_EQ(DirectoryPart("C:\\a\\\\f.txt"), "C:\\a\\");
}

TEST(DirectoryPart, IsEmptyWithoutABackslashOrWithOnlyALeadingOne) {
  EXPECT_EQ(DirectoryPart(""), "");
  EXPECT_EQ(DirectoryPart("f"), "");
  EXPECT_EQ(DirectoryPart("liste.txt"), "");
  EXPECT_EQ(DirectoryPart("\\liste.txt"), "");
  EXPECT_EQ(DirectoryPart("\\"), "");
  EXPECT_EQ(DirectoryPart("C:/Export/neu/liste.txt"), "") << "forward slashes separate nothing";
}

TEST(DirectoryPart, KeepsEveryByteOfTheDirectory) {
  const std::string dir("C:\\\xC4nderung\\\x80\xFF", 14);
  EXPECT_EQ(DirectoryPart(dir + "\\f\xE9.txt"), dir);
}

TEST(DirectoryPrefixes, AreTheLevelsWithTheirBackslashShortestFirst) {
  EXPECT_EQ(DirectoryPrefixes("C:\\a\\b\\c"), (Strings{"C:\\a\\", "C:\\a\\b\\"}));
  EXPECT_EQ(DirectoryPrefixes("C:\\Export\\neu"), (Strings{"C:\\Export\\"}));
}

TEST(DirectoryPrefixes, NeverHoldRootsUncLeadersOrShortRelativeFirstLevels) {
  EXPECT_EQ(DirectoryPrefixes("C:\\neu"), Strings{}) << "C:\\ is a drive root";
  EXPECT_EQ(DirectoryPrefixes("C:"), Strings{});
  EXPECT_EQ(DirectoryPrefixes(""), Strings{});
  EXPECT_EQ(DirectoryPrefixes("\\\\server\\share\\neu"),
            (Strings{"\\\\server\\", "\\\\server\\share\\"}));
  EXPECT_EQ(DirectoryPrefixes("ab\\cd"), Strings{}) << "ab\\ has three characters";
  EXPECT_EQ(DirectoryPrefixes("a\\cd"), Strings{});
  EXPECT_EQ(DirectoryPrefixes("abc\\cd"), (Strings{"abc\\"}));
  EXPECT_EQ(DirectoryPrefixes("\\abc\\d"), (Strings{"\\abc\\"}));
}

TEST(DirectoryPrefixes, KeepADoubledSeparatorAsItsOwnLevel) {
  EXPECT_EQ(DirectoryPrefixes("C:\\a\\\\b"), (Strings{"C:\\a\\", "C:\\a\\\\"}));
  EXPECT_EQ(DirectoryPrefixes("C:\\a\\"), (Strings{"C:\\a\\"}));
}

TEST(ExistencePattern, ListsTheDirectoryForATrailingBackslash) {
  EXPECT_EQ(ExistencePattern("C:\\neu\\"), "C:\\neu\\*");
  EXPECT_EQ(ExistencePattern("\\\\server\\share\\"), "\\\\server\\share\\*");
}

TEST(ExistencePattern, ListsTheNameItselfOtherwise) {
  EXPECT_EQ(ExistencePattern("C:\\neu"), "C:\\neu");
  EXPECT_EQ(ExistencePattern("C:\\neu\\liste.txt"), "C:\\neu\\liste.txt");
  EXPECT_EQ(ExistencePattern(""), "");
}

TEST(TemporaryNameBeside, LiesInTheFileFolderAsTheSystemSeesIt) {
  EXPECT_EQ(TemporaryNameBeside("C:\\Export\\liste.txt", 0x1a2b, 0), "C:\\Export\\~qor1a2b-0.tmp");
  EXPECT_EQ(TemporaryNameBeside("\\\\srv\\share\\f.txt", 7, 3), "\\\\srv\\share\\~qor7-3.tmp");
  EXPECT_EQ(TemporaryNameBeside("C:/Export/liste.txt", 7, 0), "C:/Export/~qor7-0.tmp");
  EXPECT_EQ(TemporaryNameBeside("C:liste.txt", 7, 0), "C:~qor7-0.tmp") << "drive C's current folder";
  EXPECT_EQ(TemporaryNameBeside("liste.txt", 0xffffffff, 15), "~qorffffffff-f.tmp");
}

}  // namespace
