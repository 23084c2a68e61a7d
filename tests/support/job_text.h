// Job-file text for tests of the host build and of the Windows build: the
// header and data sections and whole blocks as a job file holds them, and
// payload bytes written out as hex. Needs no Windows API.
#pragma once

#include <string>

namespace jobtext {

// "(((HEADERSTART)))", CR LF, the entries, CR LF, "(((HEADEREND)))", CR LF.
std::string Header(const std::string& entries);
// "(((DATASTART)))", the payload, "(((DATAEND)))", CR LF.
std::string Data(const std::string& payload);

std::string FileBlock(const std::string& fileName, const std::string& payload, bool append = false,
                      const std::string& program = "");
std::string ClipboardBlock(const std::string& payload, bool append = false);
std::string DdeBlock(const std::string& service, const std::string& server,
                     const std::string& topic, const std::string& item, const std::string& payload);

// The bytes as two upper-case hex digits each, as the test DDE server records them.
std::string Hex(const std::string& bytes);

}  // namespace jobtext
