#pragma once

#include <string>

// Width of a status label plus its leader of dots: "\t\tGLFW ......" ends in column 2 + 37.
constexpr int StatusColumnWidth = 37;

// Writes two tabs, the label, a blank and dots up to StatusColumnWidth, with no line end: the caller
// completes the line with "OK!" or "FAIL!".
void printStatusLabel(const std::string& label);

// Writes the message and a line end, waits for a key and ends the process with status 1. Releases nothing.
[[noreturn]] void fatalError(const std::string& message);

// The console "pause": waits for one key press so the console stays readable when the program was
// started from a desktop. Returns at once when standard input is at end of file.
void pauseConsole();
