// The whole demo with the water, the particles and the sky: frames compared with committed reference
// images, several orb and meteor cycles under whatever checkers the build carries, and the "Debugger"
// program's failure path.
//
// The reference images were captured by this test on the development machine (llvmpipe) and looked at
// before they were committed. To capture them again after an intended change of the picture, run the
// test with DEMO_UPDATE_REFERENCES=1 and look at the new files before committing them.
#include "DemoProcess.h"
#include "TempTree.h"

#include <FreeImage.h>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string Glfw = "\t\tGLFW .................................";
const std::string WindowLabel = "\t\tWINDOW ...............................";
const std::string Glew = "\t\tGLEW .................................";
const std::string PausePrompt = "Press any key to continue . . . ";

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

// What a clean run prints, with `errorLines` where the scene's loaders report.
std::string normalRunOutput(const std::vector<std::string>& errorLines = {}) {
    std::vector<std::string> lines = {"INITIALIZING LIBRARIES:", Glfw + "OK!", WindowLabel + "OK!",
                                      Glew + "OK!"};
    lines.insert(lines.end(), errorLines.begin(), errorLines.end());
    for (const std::string& line : {std::string("CLEANING UP LIBRARIES:"), WindowLabel + "OK!", Glfw + "OK!"})
        lines.push_back(line);
    return joinLines(lines) + PausePrompt;
}

// Mesa reports every OpenGL error on standard error when MESA_DEBUG is set; the sanitizers report there
// too. Any such line fails the run.
std::vector<std::string> problemLines(const std::string& errorOutput) {
    std::vector<std::string> problems;
    std::istringstream in(errorOutput);
    for (std::string line; std::getline(in, line);)
        if (line.find("Mesa: User error") != std::string::npos ||
            line.find("Sanitizer") != std::string::npos || line.find("runtime error") != std::string::npos ||
            line.find("GL_INVALID") != std::string::npos)
            problems.push_back(line);
    return problems;
}

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // rows bottom first, as FreeImage keeps them
};

Image loadImage(const fs::path& path) {
    Image image;
    FIBITMAP* loaded =
        FreeImage_Load(FreeImage_GetFileType(path.string().c_str(), 0), path.string().c_str(), 0);
    if (!loaded)
        return image;
    FIBITMAP* bitmap = FreeImage_ConvertTo24Bits(loaded);
    FreeImage_Unload(loaded);
    image.width = static_cast<int>(FreeImage_GetWidth(bitmap));
    image.height = static_cast<int>(FreeImage_GetHeight(bitmap));
    for (int y = 0; y < image.height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < image.width; ++x)
            image.rgb.insert(image.rgb.end(), {row[3 * x + FI_RGBA_RED], row[3 * x + FI_RGBA_GREEN],
                                               row[3 * x + FI_RGBA_BLUE]});
    }
    FreeImage_Unload(bitmap);
    return image;
}

struct Difference {
    double meanPerChannel = 0.0; // mean absolute difference, 0..255
    double fractionFarOff = 0.0; // pixels with some channel off by more than FarOff levels
    static constexpr int FarOff = 32;
};

Difference compare(const Image& actual, const Image& reference) {
    Difference difference;
    const size_t pixels = reference.rgb.size() / 3;
    size_t farOff = 0;
    double total = 0.0;
    for (size_t p = 0; p < pixels; ++p) {
        int largest = 0;
        for (size_t c = 0; c < 3; ++c) {
            const int delta = std::abs(int(actual.rgb[3 * p + c]) - int(reference.rgb[3 * p + c]));
            total += delta;
            largest = std::max(largest, delta);
        }
        if (largest > Difference::FarOff)
            ++farOff;
    }
    difference.meanPerChannel = total / static_cast<double>(3 * pixels);
    difference.fractionFarOff = static_cast<double>(farOff) / static_cast<double>(pixels);
    return difference;
}

// A broken shader, a wrong matrix or a lost shadow changes large parts of the picture by far more than
// this; another CPU's rounding in the software rasteriser changes a few edge pixels.
constexpr double MeanTolerance = 2.0;
constexpr double FarOffTolerance = 0.01;

class EffectsEndToEndTest : public ::testing::Test {
  protected:
    void SetUp() override { tree.copyFromRepository("."); }

    // Runs the demo for `frames` frames of `step` seconds each in a 480 x 270 window and compares its
    // last frame with tests/reference/<name>.png.
    void expectFrameLikeReference(const std::string& name, int frames, const std::string& step) {
        const fs::path capture = tree.work() / (name + ".png");
        DemoProcess demo(tree.work(), {"-d", "480", "270"},
                         {{"DEMO_FRAMES", std::to_string(frames)},
                          {"DEMO_TIMESTEP", step},
                          {"DEMO_SEED", "7"},
                          {"DEMO_CAPTURE", capture.string()},
                          {"MESA_DEBUG", "1"}});
        ASSERT_EQ(demo.wait(std::chrono::seconds(500)), 0) << demo.errorOutput();
        EXPECT_EQ(demo.output(), normalRunOutput());
        EXPECT_EQ(problemLines(demo.errorOutput()), std::vector<std::string>{});

        const fs::path reference = repositoryRoot() / "tests" / "reference" / (name + ".png");
        if (std::getenv("DEMO_UPDATE_REFERENCES")) {
            fs::copy_file(capture, reference, fs::copy_options::overwrite_existing);
            GTEST_SKIP() << "reference written to " << reference;
        }
        const Image actual = loadImage(capture);
        const Image expected = loadImage(reference);
        ASSERT_GT(expected.width, 0) << "no reference image " << reference;
        ASSERT_EQ(actual.width, expected.width);
        ASSERT_EQ(actual.height, expected.height);
        const Difference difference = compare(actual, expected);
        const fs::path kept = fs::temp_directory_path() / ("demo-" + name + "-actual.png");
        const bool matches =
            difference.meanPerChannel <= MeanTolerance && difference.fractionFarOff <= FarOffTolerance;
        if (!matches)
            fs::copy_file(capture, kept, fs::copy_options::overwrite_existing);
        EXPECT_TRUE(matches) << name << ": mean difference " << difference.meanPerChannel << " levels, "
                             << 100.0 * difference.fractionFarOff << " % of pixels off by more than "
                             << Difference::FarOff << " levels; the frame is kept as " << kept;
    }

    TempTree tree;
};

// The orb sinking at the end of its glow: red light on the island, the sparks around the orb, and the
// red light's reflection and glint in the channel.
TEST_F(EffectsEndToEndTest, OrbGlowingWithItsParticlesMatchesTheReference) {
    expectFrameLikeReference("orb-glowing", 257, "0.1");
}

// A meteor on its way down in white light, the starfield above the horizon.
TEST_F(EffectsEndToEndTest, MeteorFallingUnderTheSkyMatchesTheReference) {
    expectFrameLikeReference("meteor-falling", 318, "0.1");
}

// Three orb cycles and the meteor showers between them (about 45 s each) at half a second per frame:
// every stage of both effects, the hand-overs and the particles' reset, with Mesa reporting any OpenGL
// error and the sanitizers (in a sanitized build) any memory or undefined-behaviour fault. Half-second
// steps still give every stage several frames (the meteor's fall and the orb's sink take five).
TEST_F(EffectsEndToEndTest, SeveralEffectCyclesRunCleanly) {
    DemoProcess demo(tree.work(), {"-d", "320", "180"},
                     {{"DEMO_FRAMES", "290"}, {"DEMO_TIMESTEP", "0.5"}, {"MESA_DEBUG", "1"}});
    ASSERT_EQ(demo.wait(std::chrono::seconds(580)), 0) << demo.errorOutput();
    EXPECT_EQ(demo.output(), normalRunOutput());
    EXPECT_EQ(problemLines(demo.errorOutput()), std::vector<std::string>{});
}

// Without its two files the debug program fails to build at start-up; the demo reports it once and runs
// on with every other pass.
TEST_F(EffectsEndToEndTest, MissingDebuggerFilesAreReportedOnceAndTheDemoRunsOn) {
    fs::remove(tree.root() / "Resources" / "Shaders" / "Debugger.vert");
    fs::remove(tree.root() / "Resources" / "Shaders" / "Debugger.frag");
    const fs::path capture = tree.work() / "frame.png";
    DemoProcess demo(tree.work(), {"-d", "320", "180"},
                     {{"DEMO_FRAMES", "4"},
                      {"DEMO_TIMESTEP", "0.5"},
                      {"DEMO_CAPTURE", capture.string()},
                      {"MESA_DEBUG", "1"}});
    ASSERT_EQ(demo.wait(), 0) << demo.errorOutput();
    EXPECT_EQ(demo.output(), normalRunOutput({"ERROR OPENING FILE: ../Resources/Shaders/Debugger.vert",
                                              "ERROR OPENING FILE: ../Resources/Shaders/Debugger.frag",
                                              "DELETING ERRONEOUS SHADER: Debugger"}));
    EXPECT_EQ(problemLines(demo.errorOutput()), std::vector<std::string>{});
    // The frame is still drawn: the island is there, not just the clear colour.
    const Image frame = loadImage(capture);
    ASSERT_GT(frame.width, 0);
    size_t lit = 0;
    for (size_t i = 0; i < frame.rgb.size(); i += 3)
        if (frame.rgb[i] + frame.rgb[i + 1] + frame.rgb[i + 2] > 60)
            ++lit;
    EXPECT_GT(lit, frame.rgb.size() / 3 / 10) << "fewer than a tenth of the pixels show anything";
}

// F5 rebuilds the debug pass from the files on disk as they are at that moment: with the fragment file
// gone the rebuild reports it, with that file back and the vertex file gone the next one reports that.
TEST_F(EffectsEndToEndTest, F5RebuildsTheDebugPassFromTheFilesOnDisk) {
    const fs::path shaders = tree.root() / "Resources" / "Shaders";
    DemoProcess demo(tree.work(), {"-d", "320", "180"}, {{"MESA_DEBUG", "1"}});
    const std::string window = findWindowOf(demo);
    ASSERT_FALSE(window.empty()) << "no Demo window appeared";
    // Presses sent while the scene is still loading wait in the queue and arrive together with the first
    // frame, so the help text (F11) shows when the frame loop takes keys; it may show more than once.
    const std::string help = "F1 ... PHONG\nF2 ... BILLBOARD\nF3 ... WATER\nF4 ... SHADOW\nF5 ... DEBUGGER\n"
                             "F9 ... CURSOR\nF10 ... LOCK\nF11 ... HELP\nESC ... EXIT\n";
    bool running = false;
    for (int attempt = 0; attempt < 20 && !running; ++attempt) {
        sendKey(demo, window, "F11");
        running = demo.waitForOutput("ESC ... EXIT\n", std::chrono::seconds(3));
    }
    ASSERT_TRUE(running) << demo.output();

    const std::string fragmentGone = "ERROR OPENING FILE: ../Resources/Shaders/Debugger.frag\n"
                                     "DELETING ERRONEOUS SHADER: Debugger\n";
    const std::string vertexGone = "ERROR OPENING FILE: ../Resources/Shaders/Debugger.vert\n"
                                   "DELETING ERRONEOUS SHADER: Debugger\n";
    const fs::path fragment = shaders / "Debugger.frag";
    fs::rename(fragment, tree.root() / "Debugger.frag");
    sendKey(demo, window, "F5");
    ASSERT_TRUE(demo.waitForOutput(fragmentGone, std::chrono::seconds(30))) << demo.output();
    fs::rename(tree.root() / "Debugger.frag", fragment);
    fs::remove(shaders / "Debugger.vert");
    sendKey(demo, window, "F5");
    ASSERT_TRUE(demo.waitForOutput(vertexGone, std::chrono::seconds(30))) << demo.output();
    sendKey(demo, window, "shift+Escape");
    ASSERT_EQ(demo.wait(std::chrono::seconds(60)), 0) << demo.errorOutput();

    std::string output = demo.output();
    for (size_t at = output.find(help); at != std::string::npos; at = output.find(help))
        output.erase(at, help.size());
    EXPECT_EQ(output, normalRunOutput({"ERROR OPENING FILE: ../Resources/Shaders/Debugger.frag",
                                       "DELETING ERRONEOUS SHADER: Debugger",
                                       "ERROR OPENING FILE: ../Resources/Shaders/Debugger.vert",
                                       "DELETING ERRONEOUS SHADER: Debugger"}));
    EXPECT_EQ(problemLines(demo.errorOutput()), std::vector<std::string>{});
}

} // namespace
