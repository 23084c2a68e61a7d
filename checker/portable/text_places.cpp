#include "text_places.h"

#include <algorithm>

#include "job_parser.h"
#include "qor_state.h"
#include "verdict_texts.h"

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

LineColumn LocatePosition(std::string_view text, int32_t position) {
  LineColumn lc{1, 1};
  const size_t end = std::min<size_t>(position > 0 ? position - 1 : 0, text.size());
  for (size_t i = 0; i < end; ++i) {
    if (text[i] == '\n') {
      ++lc.line;
      lc.column = 1;
    } else {
      ++lc.column;
    }
  }
  return lc;
}

std::string WhereInJob(int32_t position) {
  const LineColumn lc = LocatePosition(JobText, position);
  return PlaceText(lc.line, lc.column);
}

int32_t FindFrom(std::string_view text, std::string_view what, int32_t position) {
  const size_t from = position <= 0 ? 0 : static_cast<size_t>(position) - 1;
  if (from > text.size()) return 0;
  const size_t at = text.find(what, from);
  return at == std::string::npos ? 0 : static_cast<int32_t>(at) + 1;
}

int32_t CountHeaderMarkers(int32_t from, int32_t before) {
  int32_t count = 0;
  for (int32_t at = FindFrom(JobText, kHeaderStart, from); at != 0 && at < before;
       at = FindFrom(JobText, kHeaderStart, at + 1)) {
    ++count;
  }
  return count;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

size_t FindIgnoringCase(std::string_view text, std::string_view what) {
  if (what.size() > text.size()) return std::string::npos;
  for (size_t i = 0; i + what.size() <= text.size(); ++i) {
    if (EqualsIgnoringCase(text.substr(i, what.size()), what)) return i;
  }
  return std::string::npos;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string::npos; }
