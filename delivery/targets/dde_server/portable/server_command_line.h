// The command line a missing DDE server is started with, from its
// "DDE-Service=" value. Windows reads an unquoted command line up to each
// blank in turn and starts the first part that names a program, so
// C:\Program Files\App\app.exe would start C:\Program.exe wherever someone
// put one. A value that could be read that way is taken apart here instead,
// longest part first, and never handed over unquoted. No Windows API here:
// the files and folders are looked up by the caller's procedures.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The lookups of a start, made on the machine that starts.
struct ProgramFiles {
  // Whether `name` names a program file where Windows looks for the program
  // of a command line: a name without a directory on the search path, ".exe"
  // tried when it has no extension. A folder is no program file.
  bool (*namesProgram)(const std::string& name);
  // Whether `path` names an existing folder.
  bool (*namesFolder)(const std::string& path);
};

enum class ServerStart {
  kAsWritten,   // quoted by the job, or without a blank: handed over unchanged
  kTakenApart,  // unquoted with a blank: its program is looked for in it
  kRefused,     // it holds a NUL, which would end the name early
};

// How `value` is started, before anything is looked up.
ServerStart ServerStartOf(std::string_view value);

// The leading parts of a value that is taken apart that may name its
// program, longest first: the value cut before each blank (space or tab)
// that follows a non-blank, and the whole value unless it ends in a blank.
// Parts longer than a program path can be (259 characters) are left out.
std::vector<std::string_view> ProgramParts(std::string_view value);

// The folder a value goes on through behind its leading part of `length`
// characters: the text up to the first "\" or "/" after the next word, or the
// whole value when none follows. Empty when nothing follows the part, or when
// the next word is a path of its own (from a root or a drive), a switch or
// quoted.
std::string_view FolderBehind(std::string_view value, size_t length);

struct ServerCommand {
  ServerStart start = ServerStart::kAsWritten;
  bool found = false;       // kAsWritten always; kTakenApart when a part names the program
  std::string commandLine;  // what Windows is given when `found`
  std::string program;      // kTakenApart and found: the part that names the program
  std::string arguments;    // what follows that part, without the blanks in front
};

// The start of `value`: unchanged when it is quoted or has no blank; taken
// apart otherwise: the longest part that names a program, passing over a
// part behind which the value goes on through an existing folder (the rest
// belongs to the path then, not to the arguments), started in quotation
// marks with the rest of the value behind it. Found nothing when no part
// qualifies, and for a value that is refused.
ServerCommand ServerCommandFor(std::string_view value, const ProgramFiles& files);
