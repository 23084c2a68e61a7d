// How Windows reads the command line of an "Externer Programmaufruf=": the
// program is not named apart from its arguments, so a path with a blank that
// is not in quotation marks makes Windows try shorter programs first. And how
// qor.exe starts a "DDE-Service=" value, which it takes apart itself. No
// Windows API here.
#pragma once

#include <string>
#include <string_view>

struct ProgramFiles;

// The hint for a command line that begins with an unquoted program path
// holding a blank (`where` names its place in the job file); empty when there
// is nothing to warn about. For such a line Windows tries, in this order, the
// text up to each blank or tab and then the whole line, each with ".exe"
// appended when its last path part has no extension, and starts the first
// that exists. The hint names the first of them and, when it can tell, those
// up to the program meant: the first that ends in a program extension (.exe,
// .com, .bat, .cmd) over words that go on with the path. A path counts as
// going on past a blank in that case, or when the word after the first blank
// is a relative path with a "\" in it.
std::string UnquotedProgramHint(std::string_view command, const std::string& where);

// The hint for a "DDE-Service=" value that qor.exe does not hand to Windows
// as a plain program path: one it refuses (a NUL), one the job quoted, and
// one with a blank that it takes apart (`where` names its place in the job).
// With `files`, the lookups of the machine the check runs on, the hint names
// the part qor.exe would start there, or that it would start none; without,
// it states the rule. Empty for any other value.
std::string ServerStartHint(const std::string& service, const ProgramFiles* files,
                            const std::string& where);
