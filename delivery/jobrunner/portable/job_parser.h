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

// Reads the next header at or after `position` into JobBlock; false when none
// follows or it is invalid.
bool ParseHeaderBlock(int32_t position, int32_t& next);

// Reads the next payload at or after `position` into JobBlock.DataText; true
// when it is not empty.
bool ParseDataBlock(int32_t position, int32_t& next);

// Watches the block loop without changing it; lets a checking tool explain a
// job file with the very same loop and parser the program runs.
struct JobLoopObserver {
  virtual ~JobLoopObserver() = default;
  // After each header parse: where the search started, the next position it
  // reported and whether the header was valid.
  virtual void HeaderParsed(int32_t position, int32_t next, bool valid) = 0;
  // After each data parse of a valid header; `deliver` is true when the block
  // goes to DeliverBlock.
  virtual void DataParsed(int32_t position, int32_t next, bool deliver) = 0;
  // The loop ends because the last header had no end marker.
  virtual void HeaderUnterminated() = 0;
};

// The block loop over JobText: parse, deliver, move on, until nothing follows
// or a header is invalid. Running out of memory while a header is parsed ends
// the run like an invalid header; while a block is delivered, it abandons that
// block and the loop goes on.
void RunJobLoop(JobLoopObserver* observer = nullptr);
