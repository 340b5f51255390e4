#include "app/Signals.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <atomic>
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <initializer_list>
#include <unistd.h>
#endif

#ifdef _WIN32

namespace {

// The console calls the handler on a thread of its own, hence an atomic rather than a signal flag.
std::atomic<bool> stopAsked{false};

BOOL WINAPI recordStop(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    // Taken the first time only: a second one goes on to the default handler, which ends the process.
    return stopAsked.exchange(true) ? FALSE : TRUE;
}

} // namespace

void installStopHandlers() {
    SetConsoleCtrlHandler(recordStop, TRUE);
}

bool stopRequested() {
    return stopAsked;
}

void restoreDefaultStopActions() {
    SetConsoleCtrlHandler(recordStop, FALSE);
}

// The exit status a console gives a process that Ctrl+C ends.
void endIfStopRequested() {
    if (stopAsked)
        ExitProcess(STATUS_CONTROL_C_EXIT);
}

#else

namespace {

constexpr int StopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The stop signal that came, 0 while none did. The handler may run on any thread; the frame loop reads it.
volatile std::sig_atomic_t stopSignal = 0;

// The key wait's terminal functions, called by the handlers below while it lasts.
void (*volatile restoreTerminal)() = nullptr;
void (*volatile resumeTerminal)() = nullptr;

// Never SA_RESTART: a blocking call that a signal interrupts returns (EINTR), so that its caller looks at
// what happened rather than waiting on. A signal ignored by whoever started the process (nohup, the
// background job of a shell without job control) stays ignored: this process never ignores one itself.
void setAction(int signal, void (*handler)(int), int flags = 0) {
    struct sigaction action {};
    if (sigaction(signal, nullptr, &action) != 0 || action.sa_handler == SIG_IGN)
        return;
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    sigaction(signal, &action, nullptr);
}

// Async-signal-safe. A handler runs with its signal blocked, so the signal raised again is let through.
[[noreturn]] void endBySignal(int signal) {
    setAction(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    _exit(128 + signal); // not reached: the default action of every stop signal ends the process
}

void recordStop(int signal) {
    stopSignal = signal;
}

void restoreTerminalAndEnd(int signal) {
    restoreTerminal();
    endBySignal(signal);
}

// Installed with SA_RESETHAND: SIGTSTP raised again waits until this handler returns and then stops the
// process by its default action.
void restoreTerminalAndSuspend(int) {
    const int savedErrno = errno;
    restoreTerminal();
    raise(SIGTSTP);
    errno = savedErrno;
}

void resumeKeyWait(int) {
    const int savedErrno = errno;
    setAction(SIGTSTP, restoreTerminalAndSuspend, SA_RESETHAND);
    resumeTerminal();
    errno = savedErrno;
}

// Caught rather than left to the default, which stops the job: the terminal call fails instead.
void failTerminalCall(int) {}

} // namespace

// SA_RESETHAND: a second signal of the same kind finds the default action and ends the process at once.
void installStopHandlers() {
    for (const int signal : StopSignals)
        setAction(signal, recordStop, SA_RESETHAND);
}

bool stopRequested() {
    return stopSignal != 0;
}

void restoreDefaultStopActions() {
    for (const int signal : StopSignals)
        setAction(signal, SIG_DFL);
}

void endIfStopRequested() {
    if (stopSignal != 0)
        endBySignal(stopSignal);
}

// The terminal functions are in place before any handler that calls them.
void beginKeyWaitSignals(void (*restore)(), void (*resume)()) {
    restoreTerminal = restore;
    resumeTerminal = resume;
    setAction(SIGTTOU, failTerminalCall);
    setAction(SIGTTIN, failTerminalCall);
    setAction(SIGTSTP, restoreTerminalAndSuspend, SA_RESETHAND);
    setAction(SIGCONT, resumeKeyWait);
    for (const int signal : StopSignals)
        setAction(signal, restoreTerminalAndEnd);
}

// The stop signals keep restoring the terminal, which is harmless once it is restored, until the pause
// gives them back their defaults.
void endKeyWaitSignals() {
    for (const int signal : {SIGTSTP, SIGCONT, SIGTTOU, SIGTTIN})
        setAction(signal, SIG_DFL);
}

#endif
