// Finding things in the job text and saying where they stand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Line and column (1-based) of a 1-based position in `text`.
struct LineColumn {
  int32_t line, column;
};
LineColumn LocatePosition(std::string_view text, int32_t position);

// "Zeile N, Spalte M" for a 1-based position in JobText.
std::string WhereInJob(int32_t position);

// 1-based position of `what` in `text` at or after the 1-based `position`
// (0 counts as 1); 0 when it is not there.
int32_t FindFrom(std::string_view text, std::string_view what, int32_t position);

// The "(((HEADERSTART)))" markers in JobText at or after `from` and before
// `before` (1-based positions).
int32_t CountHeaderMarkers(int32_t from, int32_t before = INT32_MAX);

// Comparisons that ignore the letter case of A to Z; FindIgnoringCase gives
// a 0-based offset, npos when absent.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
size_t FindIgnoringCase(std::string_view text, std::string_view what);

bool HasLineBreak(std::string_view text);
