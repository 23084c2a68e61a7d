// The file names Windows never opens or creates, whatever the disk holds.
// No Windows API here.
#pragma once

#include <string>
#include <string_view>

// Why Windows can never open or create a file of the name `name` (as it gets
// it: up to a NUL), ending a sentence that begins with the name; empty when
// it may. Such names hold a control character or one of " < > | ?, or end
// in a separator and so name a directory. The "?" of a leading "\\?\" is
// the prefix of a long path, not part of a name.
std::string WhyNeverOpened(std::string_view name);
