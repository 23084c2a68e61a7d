// Placeholder until the file target lands.
#include "targets.h"

int16_t SaveToFile(const std::string&, const std::string&, int32_t) { return 0; }
int16_t AppendToFile(const std::string&, const std::string&, int32_t) { return 0; }
bool CreateMissingDirectories(const std::string&) { return false; }
int32_t GetFileLength(const std::string&) { return -1; }
