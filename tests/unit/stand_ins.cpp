#include "stand_ins.h"

#include "job_loop.h"
#include "job_parser.h"

namespace {

void RecordDelivery() { StandIns::Get().delivered.push_back(JobBlock); }

void RecordCompanionLookup() {
  StandIns& s = StandIns::Get();
  ++s.companionLookups;
  JobBlock.DdeService = s.companionPath;
}

}  // namespace

StandIns& StandIns::Get() {
  static StandIns instance;
  return instance;
}

void StandIns::Reset() { *this = StandIns(); }

void LoadJob(const std::string& text) {
  StandIns::Get().Reset();
  JobText = text;
  JobBlock = JobBlockRecord();
  BlockDeliverer = RecordDelivery;
  CompanionLocator = RecordCompanionLookup;
}
