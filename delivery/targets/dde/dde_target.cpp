// DDE target: the payload is poked into the target application through the
// link of txtEXport, after the server application was made sure of.
#include "dde_target.h"

#include <exception>

#include "ensure_server_running.h"
#include "qor_state.h"
#include "texts.h"
#include "trace_log.h"
#include "txtexport.h"

namespace {

void PokeOverTheLink() {
  SetLinkMode(0);  // closes a link an earlier block left open
  const bool serverRuns = EnsureDdeServerRunning(JobBlock.DdeService);
  DdeLastError = QorError();
  if (!serverRuns) return;

  txtEXport.LinkTopic = JobBlock.DdeServer + "|" + JobBlock.DdeTopic;
  txtEXport.LinkItem = JobBlock.DdeItem;
  SetLinkMode(1);
  // A failed opening is looked at only with tracing on: it is reported and
  // the block given up, the link mode left as it is. With tracing off no
  // failure is looked at and the steps run through: when only the automatic
  // link got no answer in time the conversation stands, so the poke is still
  // made and may deliver the block.
  if (DdeLastError.number != 0 && TraceOn) {
    WriteTrace(DdeFailureMessage(DdeLastError));
    DdeLastError = QorError();
    return;
  }

  txtEXport.Text = JobBlock.DataText;
  LinkPoke();
  if (TraceOn) {
    if (DdeLastError.number == 0) {
      // The payload has arrived: a line that cannot be made for lack of
      // memory is lost, as any trace line that cannot be written.
      try {
        WriteTrace(kDdeDataSent);
      } catch (const std::exception&) {
      }
    } else {
      WriteTrace(DdeFailureMessage(DdeLastError));
      DdeLastError = QorError();
    }
  }
  SetLinkMode(0);
}

}  // namespace

// Without memory the block is abandoned with the failure line, and a link it
// opened is closed: left open at the end of the run, the server would keep
// the conversation and its item.
void PokeBlockOverDde() {
  try {
    PokeOverTheLink();
  } catch (const std::exception&) {
    DdeLastError = QorError();
    try {
      if (TraceOn) WriteTrace(DdeFailureMessage(ErrorFromNumber(qor_errors::kOutOfMemory)));
    } catch (const std::exception&) {
    }
    try {
      SetLinkMode(0);
    } catch (const std::exception&) {
    }
    DdeLastError = QorError();
  }
}
