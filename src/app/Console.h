#pragma once

#include <string>

// Width of a status label plus its leader of dots: "\t\tGLFW ......" ends in column 2 + 37.
constexpr int StatusColumnWidth = 37;

// Writes two tabs, the label, a blank and dots up to StatusColumnWidth, with no line end: the caller
// completes the line with "OK!" or "FAIL!".
void printStatusLabel(const std::string& label);

// Writes the message and a line end, waits for a key and ends the process with status 1. Releases nothing.
[[noreturn]] void fatalError(const std::string& message);

// The console "pause": prints its prompt and waits for one key press, so that the console stays readable
// when the program was started from a desktop; only a person at a terminal (a console on Windows) is
// waited for. After a stop signal it prints nothing and ends the process by that signal instead.
void pauseConsole();

// Opens on the null device whichever of standard input, output and error the process was started
// without (`2>&-`). Called first in main: the next descriptor opened (the X connection) would otherwise
// take the number, and console output would go into it.
void openClosedStandardStreams();
