// DeliverBlock: carries out the block in JobBlock by its target.
#include "deliver_block.h"

#include "clipboard_target.h"
#include "dde_target.h"
#include "external_program.h"
#include "file_target.h"
#include "qor_state.h"

void DeliverBlock() {
  switch (JobBlock.TargetCode) {
    case TargetFile: {
      const int32_t count = static_cast<int32_t>(JobBlock.DataText.size());
      if (JobBlock.AppendFlag) {
        AppendToFile(JobBlock.TargetFileName, JobBlock.DataText, count);
      } else {
        SaveToFile(JobBlock.TargetFileName, JobBlock.DataText, count);
      }
      // The program is started whatever the write achieved.
      if (!JobBlock.ExternalProgram.empty()) CallExternalProgram();
      return;
    }
    case TargetClipboard:
      PutBlockOnClipboard();
      return;
    case TargetDde:
      PokeBlockOverDde();
      return;
  }
}
