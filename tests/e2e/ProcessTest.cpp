// The real binary under stop signals, and at its final pause on a terminal, in the background and on a pipe.
#include "support/DemoProcess.h"
#include "support/TempTree.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <termios.h>

namespace {

using namespace std::chrono_literals;

using ProcessTest = RepositoryCopyTest;

struct SignalCase {
    const char* name;
    int signal;
    bool duringStartUp;
};

// Whether the process has a handler for `signal`, as the kernel shows it.
bool catches(pid_t pid, int signal) {
    const std::string status = readFile("/proc/" + std::to_string(pid) + "/status");
    const size_t at = status.find("SigCgt:");
    return at != std::string::npos && (std::stoull(status.substr(at + 7), nullptr, 16) >> (signal - 1) & 1);
}

class StopSignalTest : public ProcessTest, public ::testing::WithParamInterface<SignalCase> {};

// Shutdown runs as after a window close (its lines, the statistics, the capture of the last frame), no
// pause follows, and the process ends by the signal, for the shell or the CI runner to see. The handler
// is given up as it runs, so that the same signal again ends the process at once, even in a long start-up.
TEST_P(StopSignalTest, EndsTheRunCleanlyWithoutAPauseAndThenTheProcessBySignal) {
    const SignalCase& c = GetParam();
    DemoProcess demo(tree.work(), {"-d", "160", "120"},
                     {{"DEMO_STATS", "frames.csv"}, {"DEMO_CAPTURE", "f.png"}});
    // Handlers are in place before the first line is out; a key's output shows that the frames run.
    ASSERT_TRUE(c.duringStartUp ? demo.waitForOutput("INITIALIZING LIBRARIES:\n")
                                : sendKey(demo, findWindowOf(demo), "F11") && demo.waitForOutput(HelpLines));
    kill(demo.pid(), c.signal);
    // Long before the shutdown, the handler is gone: the same signal again would end the process at once.
    EXPECT_TRUE(!c.duringStartUp || (eventually([&] { return !catches(demo.pid(), c.signal); }) &&
                                     demo.output().find(ShutdownLines) == std::string::npos));
    EXPECT_EQ(demo.wait(60s), DemoProcess::EndedBy + c.signal);
    EXPECT_EQ(demo.output(), StartUpLines + std::string(c.duringStartUp ? "" : HelpLines) + ShutdownLines);
    EXPECT_EQ(readFile(tree.work() / "frames.csv").find("\n0,") == std::string::npos, c.duringStartUp);
    EXPECT_EQ(readFile(tree.work() / "f.png").empty(), c.duringStartUp);
    EXPECT_EQ(problemLines(demo.errorOutput()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalTest,
                         ::testing::Values(SignalCase{"Interrupt", SIGINT, false},
                                           SignalCase{"Terminate", SIGTERM, false},
                                           SignalCase{"HangUp", SIGHUP, false},
                                           SignalCase{"InterruptDuringStartUp", SIGINT, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// nohup: a hang-up that the caller ignored stays ignored, and the run goes on to its last frame.
TEST_F(ProcessTest, AHangUpTheCallerIgnoredLetsTheRunGoOn) {
    DemoProcess demo(tree.work(), {"-d", "160", "120"}, {{"DEMO_FRAMES", "5"}}, Input::Null, {},
                     [] { signal(SIGHUP, SIG_IGN); });
    ASSERT_TRUE(demo.waitForOutput("INITIALIZING LIBRARIES:\n"));
    kill(demo.pid(), SIGHUP);
    EXPECT_EQ(demo.wait(), 0);
    EXPECT_EQ(demo.output(), normalRunOutput());
}

struct PauseCase {
    const char* name;
    Input input;
    // What the person at the terminal does once the prompt is out: k a key, c Ctrl+C, z Ctrl+Z, and g the
    // job continued (fg or bg, as the input says). Each key is pressed once the pause waits in its key mode.
    const char* steps;
    int status;
    const char* afterPrompt;
    std::vector<int> closed = {}; // standard descriptors closed at start
};

class PauseTest : public ProcessTest, public ::testing::WithParamInterface<PauseCase> {};

// The prompt is the same on every way; the terminal is left as the shell had it, and so it is while the
// demo is stopped by Ctrl+Z, also a second time after fg. With a standard stream closed, the X connection
// would take its descriptor: the status lines or the statistics would corrupt its stream.
TEST_P(PauseTest, WaitsOnlyForAPersonAtTheTerminalAndLeavesItAsItWas) {
    const PauseCase& c = GetParam();
    DemoProcess demo(tree.work(), {"-d", "160", "120"}, {{"DEMO_FRAMES", "1"}, {"DEMO_STATS", "1"}}, c.input,
                     c.closed);
    const auto lineMode = [&] {
        termios mode{};
        tcgetattr(demo.terminal(), &mode);
        return mode.c_lflag;
    };
    const tcflag_t before = lineMode();
    const std::function<bool()> keyMode = [&] { return (lineMode() & (ICANON | ECHO)) == 0; };
    // A continue sent before the job has stopped would cancel the stop; one sent before the shell has
    // taken the terminal back would find the job still in the foreground, a fg where a bg was meant.
    const auto stoppedAsTheShellSaw = [&] {
        return readFile("/proc/" + std::to_string(demo.pid()) + "/stat").find(") T ") != std::string::npos &&
               (tcgetpgrp(demo.terminal()) == demo.pid()) == (c.input == Input::ForegroundTerminal);
    };
    const bool outputClosed = std::count(c.closed.begin(), c.closed.end(), STDOUT_FILENO) != 0;
    ASSERT_TRUE(outputClosed || demo.waitForOutput(PausePrompt)) << demo.errorOutput();
    for (const char step : std::string(c.steps)) {
        if (step == 'g') {
            kill(demo.pid(), SIGCONT);
            continue;
        }
        ASSERT_TRUE(eventually(keyMode)) << "the pause does not wait for a key";
        ASSERT_EQ(write(demo.terminal(), step == 'k' ? "x" : step == 'c' ? "\x03" : "\x1a", 1), 1);
        ASSERT_TRUE(step != 'z' ||
                    eventually([&] { return lineMode() == before && stoppedAsTheShellSaw(); }));
    }
    EXPECT_EQ(demo.wait(30s), c.status);
    EXPECT_EQ(demo.output(), outputClosed ? "" : normalRunOutput() + c.afterPrompt);
    EXPECT_EQ(lineMode(), before);
}

// A background job is the demo and a partner in a pipeline: touching the terminal from there stops both.
INSTANTIATE_TEST_SUITE_P(
    Pause, PauseTest,
    ::testing::Values(PauseCase{"AKeyEndsTheWaitInTheForeground", Input::ForegroundTerminal, "k", 0, "\n"},
                      PauseCase{"CtrlCRestoresTheTerminal", Input::ForegroundTerminal, "c",
                                DemoProcess::EndedBy + SIGINT, ""},
                      PauseCase{"CtrlZThenFgWaitsOnAndCtrlZAgain", Input::ForegroundTerminal, "zgzgk", 0,
                                "\n"},
                      PauseCase{"CtrlZThenBgEndsTheWait", Input::ForegroundTerminalThenBg, "zg", 0, "\n"},
                      PauseCase{"ABackgroundJobGoesOn", Input::BackgroundTerminal, "", 0, ""},
                      PauseCase{"AnOpenPipeIsNotWaitedFor", Input::OpenPipe, "", 0, "", {STDERR_FILENO}},
                      PauseCase{"EveryStandardStreamClosed", Input::Null, "", 0, "", {0, 1, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
