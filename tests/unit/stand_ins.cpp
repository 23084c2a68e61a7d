#include "stand_ins.h"

#include "companion_path.h"
#include "deliver_block.h"

StandIns& StandIns::Get() {
  static StandIns instance;
  return instance;
}

void StandIns::Reset() { *this = StandIns(); }

void LoadJob(const std::string& text) {
  StandIns::Get().Reset();
  JobText = text;
  JobBlock = JobBlockRecord();
}

void DeliverBlock() { StandIns::Get().delivered.push_back(JobBlock); }

void LocateCompanionPath() {
  StandIns& s = StandIns::Get();
  ++s.companionLookups;
  JobBlock.DdeService = s.companionPath;
}
