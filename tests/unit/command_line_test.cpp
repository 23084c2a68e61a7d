#include "command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(ArgumentText, TakesEverythingAfterProgramNameUnchanged) {
  EXPECT_EQ(ArgumentText("qor.exe C:\\Jobs\\my job.qor"), "C:\\Jobs\\my job.qor");
  EXPECT_EQ(ArgumentText("\"C:\\Program Files\\QOR\\qor.exe\"   \"C:\\a b.qor\"  "),
            "\"C:\\a b.qor\"  ");
  EXPECT_EQ(ArgumentText("\"C:\\x\\qor.exe\"C:\\j.qor"), "C:\\j.qor");
  EXPECT_EQ(ArgumentText("qor.exe"), "");
  EXPECT_EQ(ArgumentText("qor.exe    "), "");
  // Tabs separate as blanks do, after a quoted program name too.
  EXPECT_EQ(ArgumentText("qor.exe\t C:\\j.qor"), "C:\\j.qor");
  EXPECT_EQ(ArgumentText("\"C:\\x\\qor.exe\"\t\tC:\\j.qor\t"), "C:\\j.qor\t");
  EXPECT_EQ(ArgumentText(""), "");
  EXPECT_EQ(ArgumentText("\"unterminated"), "");
}

}  // namespace
