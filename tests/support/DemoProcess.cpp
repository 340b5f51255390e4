#include "DemoProcess.h"

#include "TempTree.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
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

} // namespace

DemoProcess::DemoProcess(const fs::path& workingDirectory, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment)
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

    pid_ = fork();
    if (pid_ == 0) {
        if (chdir(workingDirectory.c_str()) != 0)
            _exit(127);
        redirect("/dev/null", STDIN_FILENO, O_RDONLY);
        redirect(stdoutPath_, STDOUT_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        redirect(stderrPath_, STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        setenv("DISPLAY", display_.c_str(), 1);
        for (const auto& [name, value] : environment)
            setenv(name.c_str(), value.c_str(), 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
}

DemoProcess::~DemoProcess() {
    if (pid_ > 0 && !finished_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (server_ > 0) {
        kill(server_, SIGTERM);
        waitpid(server_, nullptr, 0);
    }
}

int DemoProcess::wait(std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!running())
        return status_;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    finished_ = true;
    return status_ = -1;
}

std::string DemoProcess::output() const {
    return readFile(stdoutPath_);
}

std::string DemoProcess::errorOutput() const {
    return readFile(stderrPath_);
}

bool DemoProcess::running() {
    if (finished_)
        return false;
    int raw = 0;
    if (waitpid(pid_, &raw, WNOHANG) == 0)
        return true;
    finished_ = true;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return false;
}

bool DemoProcess::waitForOutput(const std::string& text, std::chrono::seconds timeout, size_t times) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::string now = output();
        size_t found = 0;
        for (size_t at = now.find(text); at != std::string::npos; at = now.find(text, at + 1))
            ++found;
        if (found >= times)
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string normalRunOutput(const std::string& middle) {
    return StartUpLines + middle + ShutdownLines + PausePrompt;
}

std::vector<std::string> problemLines(const std::string& errorOutput) {
    std::vector<std::string> problems;
    std::istringstream in(errorOutput);
    for (std::string line; std::getline(in, line);)
        for (const char* sign : {"Sanitizer", "runtime error", "Mesa: User error", "GL_INVALID"})
            if (line.find(sign) != std::string::npos) {
                problems.push_back(line);
                break;
            }
    return problems;
}

std::string findWindowOf(DemoProcess& demo, std::chrono::seconds timeout) {
    // The window exists once its status line is complete; searching earlier races its creation.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (demo.output().find("WINDOW ...............................OK!") == std::string::npos) {
        if (!demo.running() || std::chrono::steady_clock::now() > deadline)
            return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const std::string command = "DISPLAY=" + demo.display() + " xdotool search --pid " +
                                std::to_string(demo.pid()) + " --name '^Demo$' 2>/dev/null";
    while (demo.running() && std::chrono::steady_clock::now() < deadline) {
        std::string found = runAndRead(command);
        if (const auto end = found.find('\n'); end != std::string::npos && end > 0)
            return found.substr(0, end);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return {};
}

bool sendKey(const DemoProcess& demo, const std::string& windowId, const std::string& key) {
    const std::string command = "DISPLAY=" + demo.display() + " xdotool key --window " + windowId + " " + key;
    return std::system(command.c_str()) == 0;
}
