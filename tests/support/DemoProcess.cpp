#include "DemoProcess.h"

#include "TempTree.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <regex>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string runAndRead(const std::string& command) {
    std::string result;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            result += buffer;
        pclose(pipe);
    }
    return result;
}

void redirect(const fs::path& path, int target, int flags) {
    const int fd = open(path.c_str(), flags, 0644);
    if (fd < 0)
        _exit(127);
    dup2(fd, target);
    close(fd);
}

// An interactive shell on `terminal`, the leader of its session, runs the demo as a job with a partner that
// only waits (`./demo | tee log`): job control stops only a group whose parent is in another group of the
// same session, and then every member. The demo's process id goes out on `report`. Ends as the demo
// ended, or with 128 + the signal that stopped a member for touching the terminal from the background.
template <typename Exec>
[[noreturn]] void runShell(const char* terminal, Input input, int report, const Exec& execDemo) {
    setsid();
    const int fd = open(terminal, O_RDWR);
    if (fd < 0 || ioctl(fd, TIOCSCTTY, 0) != 0 || dup2(fd, STDIN_FILENO) != STDIN_FILENO)
        _exit(127);
    signal(SIGTTOU, SIG_IGN); // to hand the terminal on and take it back; the job gets the default
    pid_t job = 0;
    for (const bool partner : {false, true}) {
        const pid_t member = fork();
        if (member == 0) {
            setpgid(0, job);
            if (input != Input::BackgroundTerminal && !partner)
                tcsetpgrp(STDIN_FILENO, getpid());
            signal(SIGTTOU, SIG_DFL);
            if (!partner)
                execDemo();
            pause();
            _exit(0);
        }
        setpgid(member, job);
        job = job ? job : member;
    }
    [[maybe_unused]] const ssize_t sent = write(report, &job, sizeof job);
    for (int raw = 0;;) {
        const pid_t member = waitpid(-job, &raw, WUNTRACED);
        const int stop = member > 0 && WIFSTOPPED(raw) ? WSTOPSIG(raw) : 0;
        if (member < 0 || stop == SIGTTOU || stop == SIGTTIN) {
            killpg(job, SIGKILL);
            _exit(128 + stop);
        }
        if (member == job && !stop) {
            killpg(job, SIGKILL);
            if (WIFSIGNALED(raw) && signal(WTERMSIG(raw), SIG_DFL) != SIG_ERR)
                raise(WTERMSIG(raw));
            _exit(WEXITSTATUS(raw));
        }
        if (member == job && input == Input::ForegroundTerminalThenBg)
            tcsetpgrp(STDIN_FILENO, getpgrp()); // the job stopped: continuing it is now bg
    }
}

} // namespace

DemoProcess::DemoProcess(const fs::path& workingDirectory, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment, Input input,
                         const std::vector<int>& closed, const std::function<void()>& inChild)
    : stdoutPath_(workingDirectory / ".demo-stdout"), stderrPath_(workingDirectory / ".demo-stderr") {
    // A private X server: windows, focus and keys of tests running side by side never meet. It writes
    // its display number once it accepts connections.
    int ready[2];
    if (pipe(ready) != 0)
        return;
    if ((server_ = fork()) == 0) {
        redirect("/dev/null", STDOUT_FILENO, O_WRONLY);
        redirect("/dev/null", STDERR_FILENO, O_WRONLY);
        execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(ready[1]).c_str(), "-screen", "0", "1920x1080x24",
               "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    display_ = ":";
    for (char c = 0; read(ready[0], &c, 1) == 1 && c != '\n';)
        display_ += c;
    close(ready[0]);

    std::vector<std::string> argvStorage{DEMO_BINARY};
    argvStorage.insert(argvStorage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : argvStorage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const bool onTerminal = input != Input::Null && input != Input::OpenPipe;
    // A pipe to the demo's standard input, or from the shell with the demo's process id. Neither end, nor
    // the terminal's, is left open in the demo.
    int ends[2] = {-1, -1};
    if (pipe2(ends, O_CLOEXEC) != 0 ||
        (onTerminal && ((terminal_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) < 0 ||
                        grantpt(terminal_) != 0 || unlockpt(terminal_) != 0)))
        return;
    const auto execDemo = [&] {
        if (chdir(workingDirectory.c_str()) != 0)
            _exit(127);
        redirect(stdoutPath_, STDOUT_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        redirect(stderrPath_, STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        for (const int fd : closed)
            close(fd);
        setenv("DISPLAY", display_.c_str(), 1);
        for (const auto& [name, value] : environment)
            setenv(name.c_str(), value.c_str(), 1);
        if (inChild)
            inChild();
        execv(argv[0], argv.data());
        _exit(127);
    };
    if ((pid_ = child_ = fork()) == 0) {
        if (onTerminal)
            runShell(ptsname(terminal_), input, ends[1], execDemo);
        if (input == Input::Null)
            redirect("/dev/null", STDIN_FILENO, O_RDONLY);
        else
            dup2(ends[0], STDIN_FILENO);
        execDemo();
    }
    close(ends[onTerminal ? 1 : 0]);
    inputPipe_ = ends[onTerminal ? 0 : 1];
    if (onTerminal && read(inputPipe_, &pid_, sizeof pid_) != sizeof pid_)
        pid_ = -1;
}

DemoProcess::~DemoProcess() {
    if (child_ > 0 && !finished_)
        killAll();
    for (const int fd : {terminal_, inputPipe_})
        if (fd >= 0)
            close(fd);
    if (server_ > 0) {
        kill(server_, SIGTERM);
        waitpid(server_, nullptr, 0);
    }
}

int DemoProcess::wait(std::chrono::seconds timeout) {
    if (eventually([&] { return !running(); }, timeout))
        return status_;
    killAll();
    return status_ = -1;
}

// The demo first: a shell that runs it as a job would otherwise leave it behind.
void DemoProcess::killAll() {
    if (pid_ > 0)
        kill(pid_, SIGKILL);
    kill(child_, SIGKILL);
    waitpid(child_, nullptr, 0);
    finished_ = true;
}

std::string DemoProcess::output() const {
    return readFile(stdoutPath_);
}

std::string DemoProcess::errorOutput() const {
    return readFile(stderrPath_);
}

bool DemoProcess::running() {
    if (finished_ || child_ < 0)
        return false;
    int raw = 0;
    if (waitpid(child_, &raw, WNOHANG) == 0)
        return true;
    finished_ = true;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : EndedBy + WTERMSIG(raw);
    return false;
}

bool DemoProcess::waitForOutput(const std::string& text, std::chrono::seconds timeout, size_t times) const {
    return eventually(
        [&] {
            const std::string now = output();
            size_t found = 0;
            for (size_t at = now.find(text); at != std::string::npos; at = now.find(text, at + 1))
                ++found;
            return found >= times;
        },
        timeout);
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    for (const auto deadline = std::chrono::steady_clock::now() + timeout; !condition();) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string normalRunOutput(const std::string& middle) {
    return StartUpLines + middle + ShutdownLines + PausePrompt;
}

std::vector<std::string> problemLines(const std::string& errorOutput) {
    static const std::regex sign(
        "Sanitizer|runtime error|Mesa: User error|GL_INVALID|demo: GL (error|.*high sev)");
    std::vector<std::string> problems;
    std::istringstream in(errorOutput);
    for (std::string line; std::getline(in, line);)
        if (std::regex_search(line, sign))
            problems.push_back(line);
    return problems;
}

std::string findWindowOf(DemoProcess& demo, std::chrono::seconds timeout) {
    const std::string command = "DISPLAY=" + demo.display() + " xdotool search --pid " +
                                std::to_string(demo.pid()) + " --name '^Demo$' 2>/dev/null";
    std::string found; // one window id a line
    // The window exists once its status line is complete; searching earlier races its creation.
    eventually(
        [&] {
            if (demo.output().find("WINDOW ...............................OK!") != std::string::npos)
                found = runAndRead(command);
            return !demo.running() || found.find('\n') != std::string::npos;
        },
        timeout);
    return found.substr(0, found.find('\n'));
}

bool sendKey(const DemoProcess& demo, const std::string& windowId, const std::string& key) {
    const std::string command = "DISPLAY=" + demo.display() + " xdotool key --window " + windowId + " " + key;
    return std::system(command.c_str()) == 0;
}
