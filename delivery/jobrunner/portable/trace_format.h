// Layout of trace lines; no Windows API here.
#pragma once

#include <string>
#include <string_view>

struct TraceTime {
  int year, month, day, hour, minute;
};

// "DD.MM.YYYY HH:MM -QOR- message" followed by CR LF.
std::string FormatTraceLine(const TraceTime& when, std::string_view message);
