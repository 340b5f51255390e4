// The real binary, run the way a user runs it: console lines byte for byte, exit status, and real keys
// sent to the real window.
#include "DemoProcess.h"
#include "TempTree.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::string Glfw = "\t\tGLFW .................................";
const std::string WindowLabel = "\t\tWINDOW ...............................";
const std::string Glew = "\t\tGLEW .................................";
const std::string PausePrompt = "Press any key to continue . . . ";

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override { tree.copyFromRepository("."); }
    TempTree tree;
};

// Keys sent while the program is still loading wait in the window's event queue until the first frame
// polls them, so each key is sent once and its output waited for generously.
bool pressAndWaitForOutput(const DemoProcess& demo, const std::string& window, const std::string& key,
                           const std::string& expected) {
    return sendKey(demo, window, key) && demo.waitForOutput(expected, std::chrono::seconds(120));
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

TEST_F(ShellTest, NormalRunPrintsStartAndShutdownLinesAndExitsZero) {
    DemoProcess demo(tree.work(), {"-d", "640", "480"}, {{"DEMO_FRAMES", "3"}});
    ASSERT_EQ(demo.wait(), 0) << demo.errorOutput();
    const std::string expected =
        joinLines({"INITIALIZING LIBRARIES:", Glfw + "OK!", WindowLabel + "OK!", Glew + "OK!",
                   "CLEANING UP LIBRARIES:", WindowLabel + "OK!", Glfw + "OK!"}) +
        PausePrompt;
    EXPECT_EQ(demo.output(), expected);
}

TEST_F(ShellTest, ZeroWidthWindowFailsWithStatusOne) {
    DemoProcess demo(tree.work(), {"-d", "0", "600"}, {{"DEMO_FRAMES", "3"}});
    EXPECT_EQ(demo.wait(), 1);
    EXPECT_EQ(demo.output(),
              joinLines({"INITIALIZING LIBRARIES:", Glfw + "OK!", WindowLabel + "FAIL!"}) + PausePrompt);
}

TEST_F(ShellTest, UnknownOptionFollowsTheDotsAndLeavesOkAlone) {
    // Full-screen on the Xvfb screen, as the unknown option restores the default.
    DemoProcess demo(tree.work(), {"-d", "640", "480", "--help"}, {{"DEMO_FRAMES", "2"}});
    ASSERT_EQ(demo.wait(), 0) << demo.errorOutput();
    const auto lines = demo.outputLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[2], WindowLabel + "UNKNOWN OPTION! DEFAULT!");
    EXPECT_EQ(lines[3], "OK!");
}

TEST_F(ShellTest, CaptureWritesTheFrameAtTheWindowSize) {
    const auto capture = tree.work() / "frame.png";
    DemoProcess demo(tree.work(), {"-d", "320", "200"},
                     {{"DEMO_FRAMES", "2"}, {"DEMO_CAPTURE", capture.string()}});
    ASSERT_EQ(demo.wait(), 0) << demo.errorOutput();
    ASSERT_TRUE(std::filesystem::exists(capture));
    // PNG header: width and height are big-endian words at offsets 16 and 20.
    std::ifstream in(capture, std::ios::binary);
    unsigned char header[24] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    const auto word = [&](int at) {
        return header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3];
    };
    EXPECT_EQ(word(16), 320);
    EXPECT_EQ(word(20), 200);
}

TEST_F(ShellTest, UnwritableCaptureIsReportedAndTheRunEndsNormally) {
    DemoProcess demo(tree.work(), {"-d", "320", "200"},
                     {{"DEMO_FRAMES", "2"}, {"DEMO_CAPTURE", (tree.root() / "missing" / "f.png").string()}});
    EXPECT_EQ(demo.wait(), 0);
    EXPECT_NE(demo.errorOutput().find("could not write the capture"), std::string::npos)
        << demo.errorOutput();
    EXPECT_NE(demo.output().find("CLEANING UP LIBRARIES:"), std::string::npos);
}

TEST_F(ShellTest, StatsGoToStandardErrorOnly) {
    DemoProcess demo(tree.work(), {"-d", "320", "200"}, {{"DEMO_FRAMES", "4"}, {"DEMO_STATS", "1"}});
    ASSERT_EQ(demo.wait(), 0);
    EXPECT_NE(demo.errorOutput().find("frames      4"), std::string::npos) << demo.errorOutput();
    EXPECT_EQ(demo.output().find("frame"), std::string::npos);
}

TEST_F(ShellTest, RealKeysPrintHelpAndCursorStateAndEscapeEndsTheRun) {
    DemoProcess demo(tree.work(), {"-d", "640", "480"});
    const std::string window = findWindowOf(demo);
    ASSERT_FALSE(window.empty()) << "no Demo window appeared";

    ASSERT_TRUE(pressAndWaitForOutput(demo, window, "F11", "ESC ... EXIT\n")) << demo.output();
    ASSERT_TRUE(pressAndWaitForOutput(demo, window, "F9", "CURSORDISABLED\n")) << demo.output();
    // The window closes on the Escape press, so xdotool's trailing key releases may find it gone.
    sendKey(demo, window, "shift+Escape");
    ASSERT_EQ(demo.wait(std::chrono::seconds(60)), 0);

    const std::string help = "F1 ... PHONG\nF2 ... BILLBOARD\nF3 ... WATER\nF4 ... SHADOW\nF5 ... DEBUGGER\n"
                             "F9 ... CURSOR\nF10 ... LOCK\nF11 ... HELP\nESC ... EXIT\n";
    const std::string expected =
        joinLines({"INITIALIZING LIBRARIES:", Glfw + "OK!", WindowLabel + "OK!", Glew + "OK!"}) + help +
        "CURSORDISABLED\n" + joinLines({"CLEANING UP LIBRARIES:", WindowLabel + "OK!", Glfw + "OK!"}) +
        PausePrompt;
    EXPECT_EQ(demo.output(), expected);
}

} // namespace
