// The trace log c:\etc\qor.log.
#pragma once

#include <string>

// Appends one time-stamped line; never fails outward. Callers test TraceOn
// and build the message themselves.
void WriteTrace(const std::string& message);
