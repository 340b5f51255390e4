#include "app/Console.h"

#include "app/GlDebugOutput.h"
#include "app/Signals.h"
#include "assets/StartupLoader.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string_view>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

// Exactly StatusColumnWidth full stops; a label takes its own length off the front. A character array,
// so that it has no destructor and stays valid whenever a line is printed.
constexpr char StatusLeader[] = ".....................................";
static_assert(sizeof StatusLeader - 1 == StatusColumnWidth);

#ifdef _WIN32

// GetConsoleMode succeeds on a console only; _isatty also takes the NUL device for one.
bool inputIsConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

#else

// The terminal's mode before the key wait, and whether the key mode has replaced it. Signal handlers
// restore and set it again (see beginKeyWaitSignals), so these are plain data they may touch.
termios savedMode{};
volatile std::sig_atomic_t keyModeSet = 0;
volatile std::sig_atomic_t waitingForKey = 0;

bool inForeground() {
    return tcgetpgrp(STDIN_FILENO) == getpgrp();
}

// Async-signal-safe, like restoreMode. Only the foreground process group may change the terminal's mode:
// from the background the call would send SIGTTOU to the whole job, which stops it (here it is caught
// and the call fails, but a partner in a pipeline, `./demo | tee log &`, would stop). The flag goes up
// first: a signal in between then restores the mode that is still the saved one.
bool setKeyMode() {
    if (!inForeground())
        return false;
    termios keys = savedMode;
    keys.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    keys.c_cc[VMIN] = 1;
    keys.c_cc[VTIME] = 0;
    keyModeSet = 1;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &keys) == 0)
        return true;
    keyModeSet = 0;
    return false;
}

void restoreMode() {
    if (keyModeSet && inForeground())
        tcsetattr(STDIN_FILENO, TCSANOW, &savedMode);
    keyModeSet = 0;
}

// After Ctrl+Z, when the job is continued: in the foreground the wait goes on, in the background it ends.
void resumeKeyMode() {
    if (waitingForKey)
        setKeyMode();
}

// Ctrl+Z and the continue interrupt the read (no SA_RESTART); it goes on while the key mode is back.
void readOneKey() {
    char key = 0;
    while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR && keyModeSet && inForeground()) {
    }
}

// Waits only where a person can answer: standard input is a terminal and this process is in its
// foreground process group. A pipe, a file or a background job goes on at once: a harness would
// otherwise wait for ever, and a background job be stopped for touching the terminal. Returns whether
// it waited.
bool waitForOneKey() {
    if (tcgetattr(STDIN_FILENO, &savedMode) != 0) // not a terminal
        return false;
    waitingForKey = 1;
    beginKeyWaitSignals(restoreMode, resumeKeyMode);
    // A stop signal that came before the handlers above were in place ends the process after the pause.
    const bool waiting = !stopRequested() && setKeyMode();
    if (waiting)
        readOneKey();
    waitingForKey = 0;
    restoreMode();
    endKeyWaitSignals();
    return waiting;
}

#endif

} // namespace

// Not needed on Windows: its window system takes no C runtime descriptor, and the runtime keeps 0 to 2 for
// the standard streams even when the process has none of them.
void openClosedStandardStreams() {
#ifndef _WIN32
    // Every lower descriptor is open by the time one is checked, so open takes the number checked.
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor)
        if (fcntl(descriptor, F_GETFD) == -1)
            open("/dev/null", O_RDWR);
#endif
}

void printStatusLabel(const std::string& label) {
    const auto width = static_cast<size_t>(StatusColumnWidth);
    const size_t dots = label.size() < width ? width - label.size() : 0;
    std::cout << "\t\t" << label << ' ' << std::string_view(StatusLeader, dots);
}

void fatalError(const std::string& message) {
    std::cout << message << std::endl;
    endLoading(); // no worker goes on through the wait for a key, or into the exit
    // Nothing is printed after the prompt, so the driver's last messages go now.
    writeGlDebugMessages();
    pauseConsole();
    std::exit(1);
}

void pauseConsole() {
    std::cout.flush();
    // Asked to stop by a signal: nobody waits to read the console, and whoever sent it must see it.
    endIfStopRequested();
#ifdef _WIN32
    // The shell's own pause keeps its prompt; reading from the null device, it does not wait.
    std::system(inputIsConsole() ? "pause" : "pause <nul");
#else
    std::cout << "Press any key to continue . . . " << std::flush;
    if (waitForOneKey())
        std::cout << std::endl;
#endif
    // Nothing is left to release or print: a stop signal now ends the process at once.
    restoreDefaultStopActions();
    endIfStopRequested();
}
