// The targets a header can name with "Ziel=". The parser and the checker take
// them from here. A new target is one more row and one more code; every
// switch over TargetCodes has no default, so the compiler then names each
// place that must handle it.
#pragma once

#include <string_view>

#include "qor_state.h"

struct TargetEntry {
  // The value of "Ziel=", compared exactly; the checker's report names the
  // target by it too.
  std::string_view keyword;
  TargetCodes code;
};

inline constexpr TargetEntry kTargets[] = {
    {"Datei", TargetFile},
    {"Zwischenablage", TargetClipboard},
    {"DDE", TargetDde},
};

// The target whose keyword is exactly `value`; null when none is.
const TargetEntry* TargetByKeyword(std::string_view value);

// The keyword of a target.
std::string_view TargetKeyword(TargetCodes code);
