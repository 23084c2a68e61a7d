#include "qor_state.h"

bool TraceOn = false;
std::string JobText;
JobBlockRecord JobBlock;
