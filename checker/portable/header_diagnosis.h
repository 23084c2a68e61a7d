// Why the parser refused a header, and what in a header it took does not work
// as written: derived from the key lookups the parser made, pointing at the
// lines of the job file.
#pragma once

#include <string>

#include "job_check.h"

// Sets the reason why the header of `v` is invalid; false when its lookups do
// not tell, as when the parse was cut short.
bool ExplainInvalid(BlockVerdict& v);

// The hints for the valid header of `v`, the file it can never write, and
// whether it named "hulintern"; `v.handedOver` says whether the loop hands
// the block to delivery. A server's command line is taken apart against
// `files`, or its rule stated where they are null.
void JudgeReadHeader(BlockVerdict& v, const ProgramFiles* files);
