// Procedures that one group of the delivery program calls in another. The job
// loop and the parser only see these declarations, so they build without the
// Windows API and can be tested natively with stand-ins for the rest.
#pragma once

#include <string>

// Trace log: appends one time-stamped line. Callers test TraceOn first.
void WriteTrace(const std::string& message);

// True when the file opens for reading and is at least one byte long.
bool FileExistsNonEmpty(const std::string& path);

// Carries out the block in JobBlock.
void DeliverBlock();

// Replaces the keyword "hulintern" in JobBlock.DdeService by the companion
// application's path.
void LocateCompanionPath();
