// The real binary run the way a user or a script runs it: standard output byte for byte and the exit
// status on every way in and out, real keys on the real window, and the window taken away.
#include "support/DemoProcess.h"
#include "support/Images.h"
#include "support/TempTree.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string Glfw = "\t\tGLFW .................................OK!\n";
const std::string WindowFailed = "\t\tWINDOW ...............................FAIL!\n";

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override { tree.copyFromRepository("."); }
    TempTree tree;
};

// What start-up prints before the texture list is read when no shader file can be opened.
std::string everyShaderMissing() {
    std::string lines;
    for (const char* pass : {"Phong", "Billboard", "Water", "Skybox", "Shadow", "Debugger"})
        lines += std::string("ERROR OPENING FILE: ../Resources/Shaders/") + pass +
                 ".vert\nERROR OPENING FILE: ../Resources/Shaders/" + pass +
                 ".frag\nDELETING ERRONEOUS SHADER: " + pass + "\n";
    return lines;
}

TEST_F(ShellTest, EveryWayInAndOutPrintsItsExactLinesAndStatus) {
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        std::map<std::string, std::string> environment;
        std::function<void(const TempTree&)> prepare;
        std::string output;
        int status;
        std::string error; // a line that standard error must hold
    } cases[] = {
        {"normal run", {"-d", "320", "200"}, {{"DEMO_FRAMES", "3"}}, nullptr, normalRunOutput(), 0, ""},
        {"no frame", {"-d", "320", "200"}, {{"DEMO_FRAMES", "0"}}, nullptr, normalRunOutput(), 0, ""},
        {"unknown option",
         {"-d", "320", "200", "--help"},
         {{"DEMO_FRAMES", "1"}},
         nullptr,
         normalRunOutput().replace(StartUpLines.find("OK!\n\t\tGLEW"), 0, "UNKNOWN OPTION! DEFAULT!\n"),
         0,
         ""},
        {"zero width",
         {"-d", "0", "600"},
         {},
         nullptr,
         "INITIALIZING LIBRARIES:\n" + Glfw + WindowFailed + PausePrompt,
         1,
         ""},
        {"negative size",
         {"-d", "-5", "-5"},
         {},
         nullptr,
         "INITIALIZING LIBRARIES:\n" + Glfw + WindowFailed + PausePrompt,
         1,
         ""},
        {"oversized",
         {"-d", "100000", "100000"},
         {},
         nullptr,
         "INITIALIZING LIBRARIES:\n" + Glfw + WindowFailed + PausePrompt,
         1,
         ""},
        {"no texture list",
         {"-d", "320", "200"},
         {},
         [](const TempTree& t) { fs::remove(t.textures() / "Textures"); },
         StartUpLines + "\nERROR READING FILE: ../Resources/Textures/Textures\n" + PausePrompt,
         1,
         ""},
        {"mesh list is a folder",
         {"-d", "320", "200"},
         {},
         [](const TempTree& t) {
             fs::remove(t.meshes() / "Meshes");
             fs::create_directory(t.meshes() / "Meshes");
         },
         StartUpLines + "\nERROR READING FILE: ../Resources/Meshes/Meshes\n" + PausePrompt,
         1,
         ""},
        {"no resources",
         {"-d", "320", "200"},
         {},
         [](const TempTree& t) { fs::remove_all(t.root() / "Resources"); },
         StartUpLines + everyShaderMissing() + "\nERROR READING FILE: ../Resources/Textures/Textures\n" +
             PausePrompt,
         1,
         ""},
        {"invalid switch",
         {"-d", "320", "200"},
         {{"DEMO_FRAMES", "1e99"}},
         nullptr,
         "",
         2,
         "demo: invalid DEMO_FRAMES=1e99 ("},
        {"full disk",
         {"-d", "320", "200"},
         {{"DEMO_FRAMES", "2"}, {"DEMO_CAPTURE", "/dev/full"}},
         nullptr,
         normalRunOutput(),
         0,
         "demo: could not write the capture /dev/full"},
        {"statistics",
         {"-d", "320", "200"},
         {{"DEMO_FRAMES", "4"}, {"DEMO_STATS", "1"}},
         nullptr,
         normalRunOutput(),
         0,
         "frames      4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempTree run;
        run.copyFromRepository(".");
        if (c.prepare)
            c.prepare(run);
        DemoProcess demo(run.work(), c.arguments, c.environment);
        EXPECT_EQ(demo.wait(), c.status);
        EXPECT_EQ(demo.output(), c.output);
        EXPECT_EQ(problemLines(demo.errorOutput()), std::vector<std::string>{});
        EXPECT_NE(demo.errorOutput().find(c.error), std::string::npos) << demo.errorOutput();
        if (c.status == 2) {
            const std::string error = demo.errorOutput();
            EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << "one line, no more";
        }
    }
}

// The capture is the last frame at the window's size; the statistics file has a row for every frame, at
// the engine time the fixed step gives it.
TEST_F(ShellTest, CaptureAndFrameStatisticsGoToTheirFiles) {
    const fs::path capture = tree.work() / "frame.png", table = tree.work() / "frames.csv";
    DemoProcess demo(tree.work(), {"-d", "320", "200"},
                     {{"DEMO_FRAMES", "4"},
                      {"DEMO_TIMESTEP", "0.25"},
                      {"DEMO_CAPTURE", capture.string()},
                      {"DEMO_STATS", table.string()}});
    ASSERT_EQ(demo.wait(), 0) << demo.errorOutput();
    EXPECT_EQ(demo.output(), normalRunOutput());
    const Image image = loadImage(capture);
    EXPECT_EQ(std::make_pair(image.width, image.height), std::make_pair(320, 200));
    std::ifstream rows(table);
    std::vector<std::string> lines;
    for (std::string line; std::getline(rows, line);) // the first two columns, the start-up line's name
        lines.push_back(line.substr(0, line[0] == '#' ? line.rfind(' ') : line.find(',', line.find(',') + 1)));
    EXPECT_EQ(lines, (std::vector<std::string>{"# startup_ms", "frame,engine_s", "0,0.2500", "1,0.5000",
                                               "2,0.7500", "3,1.0000"}));
}

const std::string Help = "F1 ... PHONG\nF2 ... BILLBOARD\nF3 ... WATER\nF4 ... SHADOW\nF5 ... DEBUGGER\n"
                         "F9 ... CURSOR\nF10 ... LOCK\nF11 ... HELP\nESC ... EXIT\n";

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
    EXPECT_EQ(demo.output(), normalRunOutput(Help + "CURSORDISABLED\n"));
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
