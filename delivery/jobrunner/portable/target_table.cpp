#include "target_table.h"

const TargetEntry* TargetByKeyword(std::string_view value) {
  for (const TargetEntry& entry : kTargets) {
    if (entry.keyword == value) return &entry;
  }
  return nullptr;
}

std::string_view TargetKeyword(TargetCodes code) {
  for (const TargetEntry& entry : kTargets) {
    if (entry.code == code) return entry.keyword;
  }
  return {};
}
