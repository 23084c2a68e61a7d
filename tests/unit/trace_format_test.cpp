#include "trace_format.h"

#include <gtest/gtest.h>

#include "error_table.h"
#include "text_format.h"

namespace {

TEST(TraceFormat, LineLayoutWithLeadingZerosAndCrLf) {
  EXPECT_EQ(FormatTraceLine({2024, 3, 3, 14, 5}, "Text"), "03.03.2024 14:05 -QOR- Text\r\n");
  EXPECT_EQ(FormatTraceLine({2026, 12, 31, 9, 7}, ""), "31.12.2026 09:07 -QOR- \r\n");
  EXPECT_EQ(FormatTraceLine({2026, 1, 1, 0, 0}, "a\r\nb"), "01.01.2026 00:00 -QOR- a\r\nb\r\n");
}

TEST(TraceFormat, NumbersCarryASignPosition) {
  EXPECT_EQ(SignedNumber(53), " 53");
  EXPECT_EQ(SignedNumber(0), " 0");
  EXPECT_EQ(SignedNumber(-5), "-5");
  EXPECT_EQ(SignedNumber(-2147483647L - 1), "-2147483648");
}

// Rows no trace line or box pins: the number of a missing file (its text is
// in the server box), out of memory as Windows reports it, a full disk (its
// test needs root), and codes the table does not know.
TEST(ErrorTable, RowsTheEndToEndTestsDoNotPin) {
  EXPECT_EQ(ErrorFromWin32(2).number, 53);
  EXPECT_EQ(ErrorFromWin32(8).description, "Nicht gen\374gend Speicher");
  EXPECT_EQ(ErrorFromWin32(112).number, 61);
  EXPECT_EQ(ErrorFromWin32(112).description, "Datentr\344ger voll");
  const QorError unknown = ErrorFromWin32(99999);
  EXPECT_EQ(unknown.number, 51);
  EXPECT_NE(unknown.description.find("99999"), std::string::npos);
  EXPECT_EQ(ErrorFromNumber(1234).number, 1234);
  EXPECT_FALSE(ErrorFromNumber(1234).description.empty());
}

}  // namespace
