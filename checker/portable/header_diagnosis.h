// Why the parser refused a header, and the likely mistakes in one it took:
// read from the header text as the parser cut it, pointing at the lines of
// the job file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qor_state.h"

// Why the header of `block` is invalid; its "(((HEADERSTART)))" stands at
// the 1-based job position `markerAt`.
std::string DiagnoseInvalid(const JobBlockRecord& block, int32_t markerAt);

// The likely mistakes in the valid header of `block`.
std::vector<std::string> HintsForValid(const JobBlockRecord& block, int32_t markerAt);

// True when the DDE header of `block` named "hulintern", which the parser
// has replaced already.
bool NamesCompanion(const JobBlockRecord& block);
