// Layout of trace lines and of numbers in messages; no Windows API here.
#pragma once

#include <string>
#include <string_view>

struct TraceTime {
  int year, month, day, hour, minute;
};

// "DD.MM.YYYY HH:MM -QOR- message" followed by CR LF.
std::string FormatTraceLine(const TraceTime& when, std::string_view message);

// A number with its sign position: " 53" for 53, "-5" for -5.
std::string SignedNumber(long number);
