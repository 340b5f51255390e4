// The real binary run the way a user or a script runs it: standard output byte for byte and the exit
// status on every way in and out, real keys on the real window, and the window taken away.
#include "support/DemoProcess.h"
#include "support/Images.h"
#include "support/TempTree.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Start-up up to the WINDOW line's dots, which the window's result follows; what a failed window prints;
// and what start-up prints when no shader file can be opened.
const std::string UpToWindowResult =
    std::string(StartUpLines).substr(0, std::string(StartUpLines).find("OK!\n\t\tGLEW"));
const std::string WindowFailed = UpToWindowResult + "FAIL!\n" + PausePrompt;
std::string everyShaderMissing() {
    std::string lines;
    for (const char* pass : {"Phong", "Billboard", "Water", "Skybox", "Shadow", "Debugger"})
        lines += std::string("ERROR OPENING FILE: ../Resources/Shaders/") + pass +
                 ".vert\nERROR OPENING FILE: ../Resources/Shaders/" + pass +
                 ".frag\nDELETING ERRONEOUS SHADER: " + pass + "\n";
    return lines;
}

std::string fatalList(const std::string& list) {
    return StartUpLines + ("\nERROR READING FILE: ../Resources/" + list + "\n") + PausePrompt;
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), {}};
}

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override { tree.copyFromRepository("."); }
    TempTree tree;
};

TEST_F(ShellTest, EveryWayInAndOutPrintsItsExactLinesAndStatus) {
    const auto remove = [](const char* what) {
        return [=](const TempTree& t) { fs::remove_all(t.root() / what); };
    };
    const struct {
        std::string arguments, frames;
        std::map<std::string, std::string> environment;
        std::function<void(const TempTree&)> prepare;
        std::string output;
        int status;
        std::string error; // a line that standard error must hold
        std::function<void(const TempTree&)> check = nullptr;
    } cases[] = {
        {"-d 320 200", "3", {}, nullptr, normalRunOutput(), 0, ""},
        {"-d 320 200",
         "0",
         {{"DEMO_CAPTURE", "frame.png"}},
         nullptr,
         normalRunOutput(),
         0,
         "demo: no frame was drawn"},
        {"-d 320 200 --help",
         "1",
         {},
         nullptr,
         normalRunOutput().replace(UpToWindowResult.size(), 0, "UNKNOWN OPTION! DEFAULT!\n"),
         0,
         ""},
        {"-d 0 600", "1", {}, nullptr, WindowFailed, 1, ""},
        {"-d -5 -5", "1", {}, nullptr, WindowFailed, 1, ""},
        {"-d 100000 100000", "1", {}, nullptr, WindowFailed, 1, ""},
        {"-d 320 200", "1", {}, remove("Resources/Textures/Textures"), fatalList("Textures/Textures"), 1, ""},
        {"-d 320 200",
         "1",
         {},
         [](const TempTree& t) {
             fs::remove(t.meshes() / "Meshes");
             fs::create_directory(t.meshes() / "Meshes");
         },
         fatalList("Meshes/Meshes"),
         1,
         ""},
        {"-d 320 200",
         "1",
         {},
         remove("Resources"),
         StartUpLines + everyShaderMissing() +
             fatalList("Textures/Textures").substr(std::strlen(StartUpLines)),
         1,
         ""},
        {"-d 320 200", "1e99", {}, nullptr, "", 2, "demo: invalid DEMO_FRAMES=1e99 ("},
        {"-d 320 200",
         "2",
         {{"DEMO_CAPTURE", "/dev/full"}},
         nullptr,
         normalRunOutput(),
         0,
         "demo: could not write the capture /dev/full"},
        {"-d 320 200", "4", {{"DEMO_STATS", "1"}}, nullptr, normalRunOutput(), 0, "frames      4"},
        // The capture is the last frame at the window's size; the statistics file has a row for every
        // frame, at the engine time the fixed step gives it.
        {"-d 320 200",
         "4",
         {{"DEMO_TIMESTEP", "0.25"}, {"DEMO_CAPTURE", "frame.png"}, {"DEMO_STATS", "frames.csv"}},
         nullptr,
         normalRunOutput(),
         0,
         "",
         [](const TempTree& t) {
             const Image image = loadImage(t.work() / "frame.png");
             EXPECT_EQ(std::make_pair(image.width, image.height), std::make_pair(320, 200));
             std::ifstream rows(t.work() / "frames.csv");
             std::string lines;
             for (std::string line;
                  std::getline(rows, line);) // the start-up line's name, the first two columns
                 lines +=
                     line.substr(0, line[0] == '#' ? line.rfind(' ') : line.find(',', line.find(',') + 1)) +
                     " ";
             EXPECT_EQ(lines, "# startup_ms frame,engine_s 0,0.2500 1,0.5000 2,0.7500 3,1.0000 ");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments + ", DEMO_FRAMES=" + c.frames);
        TempTree run;
        run.copyFromRepository(".");
        if (c.prepare)
            c.prepare(run);
        auto environment = c.environment;
        environment["DEMO_FRAMES"] = c.frames;
        DemoProcess demo(run.work(), words(c.arguments), environment);
        EXPECT_EQ(demo.wait(), c.status);
        EXPECT_EQ(demo.output(), c.output);
        EXPECT_EQ(problemLines(demo.errorOutput()), std::vector<std::string>{});
        EXPECT_NE(demo.errorOutput().find(c.error), std::string::npos) << demo.errorOutput();
        if (c.check)
            c.check(run);
        if (c.status == 2) {
            const std::string error = demo.errorOutput();
            EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << "one line, no more";
        }
    }
}

// Keys sent while the program is still loading wait in the window's event queue until the first frame
// polls them, so each key is sent once and its output waited for.
TEST_F(ShellTest, RealKeysPrintHelpAndCursorStateAndEscapeEndsTheRun) {
    DemoProcess demo(tree.work(), {"-d", "320", "200"});
    const std::string window = findWindowOf(demo);
    ASSERT_FALSE(window.empty()) << "no Demo window appeared: " << demo.output() << demo.errorOutput();
    ASSERT_TRUE(sendKey(demo, window, "F11") && demo.waitForOutput("ESC ... EXIT\n")) << demo.output();
    ASSERT_TRUE(sendKey(demo, window, "F9") && demo.waitForOutput("CURSORDISABLED\n")) << demo.output();
    sendKey(demo, window, "Escape"); // the window closes on the press; the release may find it gone
    ASSERT_EQ(demo.wait(std::chrono::seconds(60)), 0);
    EXPECT_EQ(demo.output(), normalRunOutput(HelpLines + std::string("CURSORDISABLED\n")));
}

// The display connection or the window lost from outside: the X library ends the process at once with
// status 1 and its own message on standard error. Nothing is torn down on that path, so standard output
// ends with what was printed before, and there is neither a hang nor a sanitizer report.
TEST_F(ShellTest, AWindowTakenAwayEndsTheRunAtOnceWithStatusOne) {
    for (const char* how : {"windowclose", "windowkill"}) {
        SCOPED_TRACE(how);
        DemoProcess demo(tree.work(), {"-d", "320", "200"});
        const std::string window = findWindowOf(demo);
        ASSERT_FALSE(window.empty()) << demo.output() << demo.errorOutput();
        ASSERT_TRUE(demo.waitForOutput(StartUpLines));
        const std::string command = "DISPLAY=" + demo.display() + " xdotool " + how + " " + window;
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(demo.wait(std::chrono::seconds(30)), 1);
        EXPECT_EQ(demo.output(), StartUpLines);
        EXPECT_EQ(problemLines(demo.errorOutput()), std::vector<std::string>{});
    }
}

} // namespace
