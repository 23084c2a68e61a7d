#include "file_name_rules.h"

#include "verdict_texts.h"

std::string WhyNeverOpened(std::string_view name) {
  if (name.empty()) return kNameEmpty;
  for (const char c : name) {
    if (c == '\r' || c == '\n') return kNameHasLineBreak;
  }
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return NameHasControlCharacter(c);
  }
  constexpr std::string_view kLongPathPrefix = "\\\\?\\";
  const std::string_view rest =
      name.substr(0, kLongPathPrefix.size()) == kLongPathPrefix ? name.substr(kLongPathPrefix.size())
                                                               : name;
  const size_t refused = rest.find_first_of("\"<>|?");
  if (refused != std::string_view::npos) return NameHasRefusedCharacter(rest[refused]);
  if (name.back() == '\\' || name.back() == '/') return NameEndsInSeparator(name.back());
  return {};
}
