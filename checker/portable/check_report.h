// The checker's report on a job file.
#pragma once

#include <string>

#include "job_check.h"

// The report, in German, Windows-1252: block by block what would happen and
// why, how the run ends, and every program the job would start.
std::string FormatCheck(const JobCheck& check, const std::string& jobName);
