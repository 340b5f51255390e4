#pragma once

#include "ConsoleText.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

// The demo's standard input: /dev/null, a pipe kept open and never written (a harness's), or a terminal on
// which a shell runs the demo as a job. After Ctrl+Z the shell leaves a foreground job the terminal, so
// that continuing the job is fg; ...ThenBg takes it back, so that continuing the job is bg.
enum class Input { Null, OpenPipe, ForegroundTerminal, ForegroundTerminalThenBg, BackgroundTerminal };

// The real demo binary, started on its own display in a working folder of the test's choice, with
// standard output and error collected into files, but for the descriptors `closed` at start (`2>&-`).
// `inChild` runs in the demo's process just before it starts: limits, ignored signals, another user.
class DemoProcess {
  public:
    static constexpr int EndedBy = 256; // plus the signal: beyond every exit status

    DemoProcess(const std::filesystem::path& workingDirectory, const std::vector<std::string>& arguments,
                const std::map<std::string, std::string>& environment = {}, Input input = Input::Null,
                const std::vector<int>& closed = {}, const std::function<void()>& inChild = nullptr);
    ~DemoProcess(); // kills the process if it is still running
    DemoProcess(const DemoProcess&) = delete;
    DemoProcess& operator=(const DemoProcess&) = delete;

    pid_t pid() const { return pid_; } // the demo itself, also when a shell runs it as a job
    const std::string& display() const { return display_; } // ":N"
    // Waits for the exit; returns the exit status, EndedBy + the signal that ended it (128 + SIGTTOU or
    // SIGTTIN: stopped on the terminal), or -1 when it had to be killed after the timeout.
    int wait(std::chrono::seconds timeout = std::chrono::seconds(120));
    std::string output() const;      // standard output so far
    std::string errorOutput() const; // standard error so far
    bool running();
    // Polls standard output until it holds `text` `times` times; false after the timeout.
    bool waitForOutput(const std::string& text, std::chrono::seconds timeout = std::chrono::seconds(120),
                       size_t times = 1) const;
    int terminal() const { return terminal_; } // the pseudo-terminal's controlling end: keyboard and mode

  private:
    void killAll();
    pid_t server_ = -1; // the display's Xvfb
    std::string display_;
    pid_t pid_ = -1;
    pid_t child_ = -1;   // the demo, or the shell running it on the terminal
    int terminal_ = -1;  // the pseudo-terminal's controlling end
    int inputPipe_ = -1; // the writing end of the open pipe, or the reading end from the shell
    bool finished_ = false;
    int status_ = -1;
    std::filesystem::path stdoutPath_;
    std::filesystem::path stderrPath_;
};

// Polls `condition` until it holds; false when it still does not after `timeout`.
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds timeout = std::chrono::seconds(30));

// What a normal run prints: the start-up lines, `middle` (loader errors, key output), the shutdown lines
// and the prompt of the console pause.
std::string normalRunOutput(const std::string& middle = "");

// Lines of standard error that report a fault: the sanitizers, Mesa's OpenGL errors (MESA_DEBUG=1), and
// the driver's debug messages of type error or high severity (DEMO_GL_DEBUG).
std::vector<std::string> problemLines(const std::string& errorOutput);

// The "Demo" window of the process, found with xdotool on its display once the window's status line is
// out; empty when the process ends or no window shows up in time.
std::string findWindowOf(DemoProcess& demo, std::chrono::seconds timeout = std::chrono::seconds(120));

bool sendKey(const DemoProcess& demo, const std::string& windowId, const std::string& key);
