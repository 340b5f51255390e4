#pragma once

// How the process answers the signals a user, a shell or a CI runner sends it.
//
// Ctrl+C, SIGTERM and SIGHUP (Ctrl+C and Ctrl+Break in a Windows console) ask the run to stop: the frame
// loop ends as if the window were closed, shutdown releases everything and prints its lines, no pause
// follows, and the process then ends by that very signal, so that whoever sent it sees what ended it.
// A second one of the same kind ends the process at once. SIGPIPE keeps its default.

// Installed first in main, so that a signal during start-up ends the run before its first frame.
void installStopHandlers();

bool stopRequested();

// From here on a stop signal ends the process at once, by its default action.
void restoreDefaultStopActions();

// Ends the process by the signal that asked it to stop; returns when none did.
void endIfStopRequested();

#ifndef _WIN32
// For the console pause's wait for a key on the terminal, until endKeyWaitSignals: a stop signal runs
// `restore` and then ends the process by that signal; Ctrl+Z runs `restore` before the process stops
// and `resume` once it continues; and a terminal call made from a background process group fails
// (EINTR) instead of stopping the job. Both functions run inside signal handlers, on any thread:
// async-signal-safe calls only.
void beginKeyWaitSignals(void (*restore)(), void (*resume)());
void endKeyWaitSignals();
#endif
