// txtEXport, the text box on Form1: the client end of the DDE conversation
// with the target application. Its link mode opens and ends the
// conversation; its poke sends the text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "error_table.h"

// The settings of txtEXport.
struct TextBoxRecord {
  // The text poked to the server: the payload where it stands in JobText, so
  // that a large one is not copied, or the value the server sent last.
  std::string_view Text = "txtExport";
  std::string ReceivedText;  // holds the server's value while Text shows it
  std::string LinkTopic;     // "application|topic"
  std::string LinkItem;
  int16_t LinkMode = 0;       // 0 none, 1 automatic
  int16_t LinkTimeout = 100;  // tenths of a second, for every answer awaited
};

extern TextBoxRecord txtEXport;

// The most recent failed step of the DDE branch; number 0 while none failed.
extern QorError DdeLastError;

// Sets the link mode of txtEXport. 1 opens the conversation named by the link
// topic and asks for an automatic link on the link item in CF_TEXT; 0 ends the
// link and the conversation. Form1 is created on the first call. A failure
// sets DdeLastError.
void SetLinkMode(int16_t mode);

// Sends the text to the server as the value of the link item in CF_TEXT and
// waits for its answer. A refusal, a time-out or no conversation sets
// DdeLastError.
void LinkPoke();
