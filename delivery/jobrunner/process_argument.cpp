#include "process_argument.h"

#include "command_line.h"
#include "win_api.h"

std::string ProcessArgumentText() {
  const char* commandLine = qor::api::GetCommandLineA();
  return ArgumentText(commandLine != nullptr ? commandLine : "");
}
