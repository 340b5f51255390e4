#pragma once

#include "ConsoleText.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

// The real demo binary, started on its own display in a working folder of the test's choice, with
// standard input from /dev/null and standard output and error collected into files.
class DemoProcess {
  public:
    DemoProcess(const std::filesystem::path& workingDirectory, const std::vector<std::string>& arguments,
                const std::map<std::string, std::string>& environment = {});
    ~DemoProcess(); // kills the process if it is still running
    DemoProcess(const DemoProcess&) = delete;
    DemoProcess& operator=(const DemoProcess&) = delete;

    pid_t pid() const { return pid_; }
    const std::string& display() const { return display_; } // ":N"
    // Waits for the exit; returns the exit status, or -1 when it had to be killed after the timeout.
    int wait(std::chrono::seconds timeout = std::chrono::seconds(120));
    std::string output() const;      // standard output so far
    std::string errorOutput() const; // standard error so far
    bool running();
    // Polls standard output until it holds `text` `times` times; false after the timeout.
    bool waitForOutput(const std::string& text, std::chrono::seconds timeout = std::chrono::seconds(120),
                       size_t times = 1) const;

  private:
    pid_t server_ = -1; // the display's Xvfb
    std::string display_;
    pid_t pid_ = -1;
    bool finished_ = false;
    int status_ = -1;
    std::filesystem::path stdoutPath_;
    std::filesystem::path stderrPath_;
};

// What a normal run prints: the start-up lines, `middle` (loader errors, key output), the shutdown lines
// and the prompt of the console pause.
std::string normalRunOutput(const std::string& middle = "");

// Lines of standard error that report a fault: the sanitizers, and Mesa's OpenGL errors (MESA_DEBUG=1).
std::vector<std::string> problemLines(const std::string& errorOutput);

// The "Demo" window of the process, found with xdotool on its display once the window's status line is
// out; empty when the process ends or no window shows up in time.
std::string findWindowOf(DemoProcess& demo, std::chrono::seconds timeout = std::chrono::seconds(120));

bool sendKey(const DemoProcess& demo, const std::string& windowId, const std::string& key);
