// Job-file parser: cuts headers and payloads out of JobText into JobBlock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The markers of a job file's sections.
inline constexpr std::string_view kHeaderStart = "(((HEADERSTART)))";
inline constexpr std::string_view kHeaderEnd = "(((HEADEREND)))";
inline constexpr std::string_view kDataStart = "(((DATASTART)))";
inline constexpr std::string_view kDataEnd = "(((DATAEND)))";

// Text between the first startMarker at or after `from` (1-based; 0 means 1)
// and the next endMarker, trimmed. `next` receives the position after the end
// marker, 0 when nothing follows; it is left alone when startMarker is absent.
std::string ExtractBetween(std::string_view text, std::string_view startMarker,
                           std::string_view endMarker, int32_t from, int32_t& next);
// The same as a view into `text`, without a copy; `markerAt`, when given,
// receives the 1-based position of startMarker, 0 when it is absent.
std::string_view ExtractBetweenView(std::string_view text, std::string_view startMarker,
                                    std::string_view endMarker, int32_t from, int32_t& next,
                                    int32_t* markerAt = nullptr);

// One key lookup of the header parser, as it was made: `key` searched in
// HeaderText from the key position `from`, found at the 1-based position
// `found` (0: not found), leaving the key next position `next` and giving
// `value`, a view into HeaderText.
struct KeyLookup {
  std::string_view key;
  int32_t from;
  int32_t found;
  int32_t next;
  std::string_view value;
};
// Sees every key lookup while it is set, so a checking tool can tell what
// the parser read; qor.exe leaves it null and pays a test of it per lookup.
extern void (*KeyLookupWatcher)(const KeyLookup& lookup);

// Replaces the keyword "hulintern" in JobBlock.DdeService by the companion
// application's path, for every DDE header that names it. The parser needs no
// Windows API, so each program plugs in its own before it parses: qor.exe and
// qorcheck.exe LocateCompanionPath, a checker built away from Windows what it
// says instead, the tests their stand-ins.
extern void (*CompanionLocator)();

// Reads the next header at or after `position` into JobBlock; false when none
// follows or it is invalid.
bool ParseHeaderBlock(int32_t position, int32_t& next);

// Reads the next payload at or after `position` into JobBlock.DataText; true
// when it is not empty.
bool ParseDataBlock(int32_t position, int32_t& next);
