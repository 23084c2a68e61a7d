// How every part cuts a value out of its blanks and writes a number into a
// text; no Windows API here.
#pragma once

#include <string>
#include <string_view>

// Removes leading and trailing blanks (the space character only).
std::string_view TrimBlanks(std::string_view text);

// A number with its sign position: " 53" for 53, "-5" for -5.
std::string SignedNumber(long number);
