#include "check_recorder.h"

#include <algorithm>
#include <exception>
#include <new>
#include <utility>

#include "header_diagnosis.h"
#include "text_places.h"
#include "qor_state.h"
#include "verdict_texts.h"

namespace {

CheckRecorder* listening = nullptr;

}  // namespace

CheckRecorder::CheckRecorder(JobCheck& check, const ProgramFiles* files)
    : check_(check), files_(files) {
  listening = this;
  KeyLookupWatcher = &CheckRecorder::Watch;
}

CheckRecorder::~CheckRecorder() {
  KeyLookupWatcher = nullptr;
  listening = nullptr;
}

void CheckRecorder::Watch(const KeyLookup& lookup) {
  try {
    listening->lookups_.push_back({std::string(lookup.key), lookup.from, lookup.found, lookup.next,
                                   std::string(lookup.value)});
  } catch (const std::exception&) {
    // Thrown from here the parser would take the header for invalid.
    listening->lookupLost_ = true;
  }
}

void CheckRecorder::HeaderParsed(int32_t position, int32_t next, bool valid) {
  std::vector<KeyRead> lookups = std::move(lookups_);
  lookups_.clear();
  // A verdict without every lookup could say what the parser did not do.
  if (lookupLost_) throw std::bad_alloc();
  const int32_t markerAt = FindFrom(JobText, kHeaderStart, position);
  if (markerAt == 0) {
    check_.ending = RegularEnd(WhereInJob(std::max<int32_t>(position, 1)));
    return;
  }
  BlockVerdict v;
  v.headerAt = markerAt;
  v.headerValid = valid;
  v.block = JobBlock;
  v.lookups = std::move(lookups);
  if (valid) {
    // What the entries read do is judged once the block's fate is known.
    if (next > 0) NoteHeadersInside(v, markerAt + 1, next, false);
  } else {
    // The parse was cut short: only a lack of memory does that.
    if (!ExplainInvalid(v)) throw std::bad_alloc();
    check_.ending = EndsAtInvalidHeader(CountHeaderMarkers(next > 0 ? next : markerAt + 1));
    check_.endsEarly = true;
  }
  check_.blocks.push_back(std::move(v));
}

void CheckRecorder::HeaderUnterminated() {
  BlockVerdict& v = check_.blocks.back();
  v.reason = kHeaderEndMissing;
  JudgeReadHeader(v, files_);
  check_.ending = kEndsAtUnterminatedHeader;
  check_.endsEarly = true;
}

void CheckRecorder::DataParsed(int32_t position, int32_t next, bool deliver) {
  BlockVerdict& v = check_.blocks.back();
  const int32_t dataMarker = FindFrom(JobText, kDataStart, position);
  v.handedOver = deliver;
  JudgeReadHeader(v, files_);
  if (dataMarker == 0) {
    v.reason = kNoDataSection;
    return;
  }
  NotePassedOverHeader(v, position, dataMarker);
  if (deliver) {
    v.block.DataText = JobBlock.DataText;
    v.dataAt = dataMarker + static_cast<int32_t>(kDataStart.size());
    while (JobText[v.dataAt - 1] == ' ') ++v.dataAt;
    v.delivered = v.fileNotWritable.empty();
    v.reason = v.fileNotWritable;
    if (next > 0) NoteHeadersInside(v, v.dataAt, next, true);
  } else {
    v.reason = kDataEmpty;
  }
  if (next == 0 && FindFrom(JobText, kDataEnd, dataMarker) == 0) NoteMissingDataEnd(v, dataMarker);
}

void CheckRecorder::NotePassedOverHeader(BlockVerdict& v, int32_t position, int32_t dataMarker) {
  const int32_t skipped = FindFrom(JobText, kHeaderStart, position);
  if (skipped == 0 || skipped >= dataMarker) return;
  v.hints.push_back(HeaderWithoutData(WhereInJob(skipped)));
  ++check_.passedOver;
}

void CheckRecorder::NoteMissingDataEnd(BlockVerdict& v, int32_t dataMarker) {
  const int32_t swallowed = CountHeaderMarkers(dataMarker);
  if (swallowed > 0) check_.endsEarly = true;
  v.hints.push_back(DataEndMissing(swallowed));
  check_.ending = kEndsWithThisBlock;
}

void CheckRecorder::NoteHeadersInside(BlockVerdict& v, int32_t from, int32_t before,
                                      bool inPayload) {
  const int32_t headers = CountHeaderMarkers(from, before);
  if (headers == 0) return;
  const std::string where = WhereInJob(FindFrom(JobText, kHeaderStart, from));
  v.hints.push_back(inPayload ? HeadersInPayload(where, headers) : HeadersInHeader(where, headers));
  check_.swallowed += headers;
}
