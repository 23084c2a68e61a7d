#include "trace_format.h"

#include <cstdio>

std::string FormatTraceLine(const TraceTime& when, std::string_view message) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d.%02d.%04d %02d:%02d -QOR- ", when.day, when.month,
                when.year, when.hour, when.minute);
  std::string line(stamp);
  line.reserve(line.size() + message.size() + 2);
  line.append(message);
  line.append("\r\n");
  return line;
}
