#include "setup_check_logic.h"

#include <gtest/gtest.h>

#include <string>

#include "setup_texts.h"

namespace {

using namespace qor_setup;

TEST(VersionOrder, ComparesBytesNotNumbers) {
  EXPECT_TRUE(InstalledVersionIsNewer("2.9", "2.10"));
  EXPECT_FALSE(InstalledVersionIsNewer("2.10", "2.9"));
  EXPECT_TRUE(InstalledVersionIsNewer("2.1.5", "2.1"));
  EXPECT_FALSE(InstalledVersionIsNewer("2.1", "2.1.5"));
  EXPECT_FALSE(InstalledVersionIsNewer("2.1", "2.1"));
  EXPECT_FALSE(InstalledVersionIsNewer("10", "9"));
  EXPECT_TRUE(InstalledVersionIsNewer("b", "B"));
}

TEST(VersionOrder, EmptyInstalledVersionIsNeverNewer) {
  EXPECT_FALSE(InstalledVersionIsNewer("", "1.0"));
  EXPECT_FALSE(InstalledVersionIsNewer("", ""));
  EXPECT_TRUE(InstalledVersionIsNewer("1", ""));
}

TEST(VersionOrder, BytesAboveSevenBitAreUnsigned) {
  EXPECT_TRUE(InstalledVersionIsNewer("2.\344", "2.a"));
  EXPECT_FALSE(InstalledVersionIsNewer("2.a", "2.\344"));
}

TEST(VersionOrder, StopsAtTheSetupTerminator) {
  // A setup version that ends early must not be read past its terminator:
  // the buffer holds exactly "2" and its NUL.
  const char setup[] = {'2', '\0'};
  EXPECT_TRUE(InstalledVersionIsNewer("2.1", setup));
}

TEST(ProfilePath, AppendsBackslashAndNameWithoutTrimming) {
  std::string path;
  ASSERT_TRUE(FormProfilePath("C:\\setup", path));
  EXPECT_EQ(path, "C:\\setup\\setup.ini");
  ASSERT_TRUE(FormProfilePath("C:\\setup\\", path));
  EXPECT_EQ(path, "C:\\setup\\\\setup.ini");
  ASSERT_TRUE(FormProfilePath("", path));
  EXPECT_EQ(path, "\\setup.ini");
}

TEST(ProfilePath, RefusesNullAndPathsThatDoNotFit) {
  std::string path = "old";
  EXPECT_FALSE(FormProfilePath(nullptr, path));
  EXPECT_EQ(path, "");
  // 249 characters + "\setup.ini" (10) + terminator = 260: the longest that fits.
  const std::string longest(249, 'd');
  ASSERT_TRUE(FormProfilePath(longest.c_str(), path));
  EXPECT_EQ(path.size(), 259u);
  const std::string tooLong(250, 'd');
  path = "old";
  EXPECT_FALSE(FormProfilePath(tooLong.c_str(), path));
  EXPECT_EQ(path, "");
  EXPECT_FALSE(FormProfilePath(std::string(5000, 'd').c_str(), path));
}

TEST(CommandKey, FormedFromClassName) {
  EXPECT_EQ(CommandKeyName("QOR.Auftrag"), "QOR.Auftrag\\shell\\open\\command");
  EXPECT_EQ(CommandKeyName(""), "\\shell\\open\\command");
}

TEST(ValueText, EndsAtTheFirstTerminator) {
  std::string text;
  const char value[] = "2.1\0junk";
  ASSERT_TRUE(ValueAsText(value, sizeof value, text));
  EXPECT_EQ(text, "2.1");
  ASSERT_TRUE(ValueAsText("", 0, text));
  EXPECT_EQ(text, "");
}

TEST(ValueText, ValueWithoutTerminatorEndsAtItsSize) {
  char buffer[kValueCapacity];
  std::fill(buffer, buffer + sizeof buffer, 'x');
  std::string text;
  ASSERT_TRUE(ValueAsText(buffer, 9, text));
  EXPECT_EQ(text, std::string(9, 'x'));
  ASSERT_TRUE(ValueAsText(buffer, 255, text));
  EXPECT_EQ(text.size(), 255u);
}

TEST(ValueText, ValuesLongerThan255CharactersAreNotTaken) {
  char buffer[kValueCapacity];
  std::fill(buffer, buffer + sizeof buffer, 'x');
  std::string text = "old";
  // 256 characters without room for a terminator.
  EXPECT_FALSE(ValueAsText(buffer, 256, text));
  EXPECT_EQ(text, "");
  // The size the registry reports for a value that did not fit.
  EXPECT_FALSE(ValueAsText(buffer, 4000, text));
  EXPECT_EQ(text, "");
  buffer[255] = '\0';
  ASSERT_TRUE(ValueAsText(buffer, 256, text));
  EXPECT_EQ(text.size(), 255u);
}

// The texts are pinned where the library shows them; here only the values a
// box hardly gets: empty versions and references, and the longest ones.
TEST(Messages, EmptyAndLongestValuesAreComposedWhole) {
  const std::string longest(255, 'v');
  for (const std::string& value : {std::string(), longest}) {
    SCOPED_TRACE(value.size());
    EXPECT_EQ(DowngradeMessage(value, value), setup_test::DowngradeText(value, value));
    EXPECT_EQ(ConflictMessage(value), setup_test::ConflictText(value));
  }
}

}  // namespace
