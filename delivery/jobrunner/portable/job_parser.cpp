#include "job_parser.h"

#include "qor_state.h"
#include "target_table.h"
#include "text_format.h"

namespace {

constexpr std::string_view kValueEnd = "*";

// Key lookups walk HeaderText from a key position that moves on only after the
// entries whose order matters.
struct KeyCursor {
  int32_t position = 1;
  int32_t next = 0;

  std::string Lookup(std::string_view key) {
    const int32_t from = position;
    int32_t found = 0;
    std::string value(
        ExtractBetweenView(JobBlock.HeaderText, key, kValueEnd, position, next, &found));
    if (KeyLookupWatcher != nullptr) KeyLookupWatcher({key, from, found, next, value});
    return value;
  }
  void Advance() { position = next; }
};

// The entries of a file header follow "Ziel=" in this order; only the file
// name is required.
bool ParseFileEntries(KeyCursor& keys) {
  JobBlock.TargetFileName = keys.Lookup("Dateiname=");
  if (JobBlock.TargetFileName.empty()) return false;
  keys.Advance();
  JobBlock.AppendFlag = keys.Lookup("Anhaengen=") == "Ja";
  keys.Advance();
  JobBlock.ExternalProgram = keys.Lookup("Externer Programmaufruf=");
  return true;
}

// All four entries are required and searched from just after "Ziel=", in any
// order.
bool ParseDdeEntries(KeyCursor& keys) {
  JobBlock.DdeService = keys.Lookup("DDE-Service=");
  if (JobBlock.DdeService.empty()) return false;
  JobBlock.DdeServer = keys.Lookup("DDE-Server=");
  if (JobBlock.DdeServer.empty()) return false;
  JobBlock.DdeTopic = keys.Lookup("DDE-Topic=");
  if (JobBlock.DdeTopic.empty()) return false;
  JobBlock.DdeItem = keys.Lookup("DDE-Item=");
  if (JobBlock.DdeItem.empty()) return false;
  if (JobBlock.DdeService == "hulintern") CompanionLocator();
  return true;
}

}  // namespace

void (*KeyLookupWatcher)(const KeyLookup& lookup) = nullptr;
void (*CompanionLocator)() = nullptr;

std::string ExtractBetween(std::string_view text, std::string_view startMarker,
                           std::string_view endMarker, int32_t from, int32_t& next) {
  return std::string(ExtractBetweenView(text, startMarker, endMarker, from, next));
}

std::string_view ExtractBetweenView(std::string_view text, std::string_view startMarker,
                                    std::string_view endMarker, int32_t from, int32_t& next,
                                    int32_t* markerAt) {
  if (markerAt != nullptr) *markerAt = 0;
  const size_t length = text.size();
  const size_t searchStart = from <= 0 ? 0 : static_cast<size_t>(from) - 1;
  if (searchStart > length) return {};
  const size_t found = text.find(startMarker, searchStart);
  if (found == std::string_view::npos) return {};
  if (markerAt != nullptr) *markerAt = static_cast<int32_t>(found) + 1;

  const size_t valueStart = found + startMarker.size();  // 0-based i
  const size_t endFound = text.find(endMarker, valueStart);
  size_t valueEnd;  // 0-based, exclusive
  size_t e;         // 1-based position of the end marker, or the text length
  if (endFound != std::string_view::npos) {
    valueEnd = endFound;
    e = endFound + 1;
  } else {
    valueEnd = length;
    e = length;
  }

  next = e == length ? 0 : static_cast<int32_t>(e + endMarker.size());
  return TrimBlanks(text.substr(valueStart, valueEnd - valueStart));
}

bool ParseHeaderBlock(int32_t position, int32_t& next) {
  JobBlock.HeaderText.clear();
  JobBlock.TargetFileName.clear();
  JobBlock.DdeService.clear();
  JobBlock.DdeServer.clear();
  JobBlock.DdeTopic.clear();
  JobBlock.DdeItem.clear();
  JobBlock.ExternalProgram.clear();

  JobBlock.HeaderText = ExtractBetween(JobText, kHeaderStart, kHeaderEnd, position, next);
  if (JobBlock.HeaderText.empty()) return false;

  KeyCursor keys;
  const TargetEntry* target = TargetByKeyword(keys.Lookup("Ziel="));
  keys.Advance();
  if (target == nullptr) return false;
  JobBlock.TargetCode = target->code;
  switch (target->code) {
    case TargetFile:
      return ParseFileEntries(keys);
    case TargetClipboard:
      JobBlock.AppendFlag = keys.Lookup("Anhaengen=") == "Ja";
      return true;
    case TargetDde:
      return ParseDdeEntries(keys);
  }
  return false;
}

bool ParseDataBlock(int32_t position, int32_t& next) {
  JobBlock.DataText = ExtractBetweenView(JobText, kDataStart, kDataEnd, position, next);
  return !JobBlock.DataText.empty();
}
