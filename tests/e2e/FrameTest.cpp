// The real binary's frames: reproducible frames against committed reference images, a shader broken and
// mended on disk while the demo runs, and the random generator seeded only once the world is built.
//
// After an intended change of the picture, run the tests with DEMO_UPDATE_REFERENCES=1, and look at the
// new images before committing them.
#include "support/DemoProcess.h"
#include "support/Images.h"
#include "support/TempTree.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

using FrameTest = RepositoryCopyTest;

struct Reference {
    const char* name;
    std::map<std::string, std::string> run;
    double meanLimit;   // levels of 255
    int farOffLevels;   // a pixel is far off when some channel differs by more than this
    double farOffLimit; // fraction of far-off pixels
    friend void PrintTo(const Reference& reference, std::ostream* out) { *out << reference.name; }
};

// Runs on this machine repeat bit for bit; another CPU's rounding moves a few levels at edges here and
// there. A lost shadow, a transposed matrix, a darker ambient term or a broken shader moves far more.
const Reference References[] = {
    // 24 s into the orb's cycle: the glow stage, red light, particles, shadows thrown away from the orb.
    {"glow-481x270", {{"DEMO_FRAMES", "60"}, {"DEMO_TIMESTEP", "0.4"}, {"DEMO_SEED", "1"}}, 1.0, 16, 0.0035},
    // A meteor on its way down in white light, the starfield above the horizon.
    {"meteor-falling", {{"DEMO_FRAMES", "73"}, {"DEMO_TIMESTEP", "0.4"}, {"DEMO_SEED", "7"}}, 2.0, 32, 0.01},
};

class ReferenceFrameTest : public FrameTest, public ::testing::WithParamInterface<Reference> {};

// Every stage of the orb up to the meteor runs with Mesa reporting any OpenGL error, the driver's debug
// output on (which leaves standard output as it is) and the sanitizers (in a sanitized build) reporting
// any memory fault. The width makes rows of no whole number of four-byte words.
TEST_P(ReferenceFrameTest, MatchesTheCommittedImage) {
    const Reference& reference = GetParam();
    const fs::path capture = tree.work() / "capture.png";
    auto environment = reference.run;
    environment["DEMO_CAPTURE"] = capture.string();
    environment["MESA_DEBUG"] = "1";
    environment["DEMO_GL_DEBUG"] = "1";
    DemoProcess demo(tree.work(), {"-d", "481", "270"}, environment);
    ASSERT_EQ(demo.wait(std::chrono::seconds(500)), 0) << demo.errorOutput();
    EXPECT_EQ(demo.output(), normalRunOutput());
    EXPECT_EQ(problemLines(demo.errorOutput()), std::vector<std::string>{});
    EXPECT_NE(demo.errorOutput().find("demo: GL renderer: "), std::string::npos) << demo.errorOutput();

    const fs::path committed =
        repositoryRoot() / "tests" / "reference" / (std::string(reference.name) + ".png");
    if (std::getenv("DEMO_UPDATE_REFERENCES")) {
        fs::copy_file(capture, committed, fs::copy_options::overwrite_existing);
        GTEST_SKIP() << "reference written to " << committed;
    }
    const ImageDifference difference =
        compareImages(loadImage(capture), loadImage(committed), reference.farOffLevels);
    const bool matches =
        difference.meanLevels < reference.meanLimit && difference.fractionFarOff < reference.farOffLimit;
    const fs::path kept = fs::temp_directory_path() / ("demo-" + std::string(reference.name) + "-actual.png");
    if (!matches)
        fs::copy_file(capture, kept, fs::copy_options::overwrite_existing);
    EXPECT_TRUE(matches) << "mean difference " << difference.meanLevels << " levels, "
                         << 100.0 * difference.fractionFarOff
                         << " % of the pixels far off; the frame is kept as " << kept;
}

INSTANTIATE_TEST_SUITE_P(Frames, ReferenceFrameTest, ::testing::ValuesIn(References), [](const auto& info) {
    return std::string(info.param.name) == "glow-481x270" ? "Glow" : "Meteor";
});

// F1 with a broken Phong shader on disk reports it and leaves the island unlit; mended and pressed again,
// the island is lit in the last frame. The overlay is shown until then, and the driver's only complaint
// is the compiler's, from inside the rebuild's group.
TEST_F(FrameTest, ABrokenPhongShaderIsReportedAndAMendedOneReloadsWithF1) {
    const fs::path phong = tree.shaders() / "Phong.frag", capture = tree.work() / "after.png";
    const std::string good = readFile(phong);
    DemoProcess demo(tree.work(), {"-d", "320", "180"},
                     {{"DEMO_TIMESTEP", "0.1"},
                      {"DEMO_SEED", "1"},
                      {"DEMO_CAPTURE", capture.string()},
                      {"DEMO_OVERLAY", "1"},
                      {"DEMO_GL_DEBUG", "1"}});
    const std::string window = findWindowOf(demo);
    ASSERT_FALSE(window.empty()) << "no Demo window appeared: " << demo.output() << demo.errorOutput();
    const std::string help = "ESC ... EXIT\n";
    ASSERT_TRUE(sendKey(demo, window, "F11") && demo.waitForOutput(help)) << demo.output();

    tree.write("Resources/Shaders/Phong.frag",
               "#version 450 core\nout vec4 fragColor;\nvoid main() { fragColor = lit; }\n");
    ASSERT_TRUE(sendKey(demo, window, "F1") && demo.waitForOutput("DELETING ERRONEOUS SHADER: Phong\n"))
        << demo.output();
    tree.write("Resources/Shaders/Phong.frag", good);
    // Keys are handled in order: once the second help text is out, the keys before it have been handled too.
    ASSERT_TRUE(sendKey(demo, window, "F1") && sendKey(demo, window, "F12") && sendKey(demo, window, "F11") &&
                demo.waitForOutput(help, std::chrono::seconds(120), 2))
        << demo.output();
    std::this_thread::sleep_for(std::chrono::seconds(2)); // a few frames after the rebuild
    sendKey(demo, window, "Escape");
    ASSERT_EQ(demo.wait(std::chrono::seconds(60)), 0) << demo.errorOutput();

    const std::string output = demo.output();
    const size_t compileError = output.find("COMPILER ERROR:../Resources/Shaders/Phong.frag");
    ASSERT_NE(compileError, std::string::npos) << output;
    EXPECT_EQ(output.find("COMPILER ERROR", compileError + 1), std::string::npos)
        << "the mended file is silent";
    EXPECT_EQ(output.find("DELETING"), output.rfind("DELETING"));
    const std::vector<std::string> problems = problemLines(demo.errorOutput());
    ASSERT_EQ(problems.size(), 1u) << demo.errorOutput();
    EXPECT_NE(problems[0].find("(high severity, shader compiler) in \"Phong pass\": 0:3("), std::string::npos)
        << problems[0];
    const Image frame = loadImage(capture);
    // The island fills the middle of the lower half; lit, even by the ambient term alone, most of it is
    // well above the night around it. Without the Phong pass it shows only dark water.
    EXPECT_GT(brightFraction(frame, 0.25, 0.05, 0.75, 0.6, 25), 0.3)
        << "the island is not lit after the reload";
}

// With steps of a whole second the orb hands over at frame 28; the first meteor then lights frames 29 to 31
// and the second one the frames after. The world is built before the generator is seeded, so the first
// meteor is the same in every run and only the later ones follow the seed.
TEST_F(FrameTest, TheFirstMeteorIsTheSameInEveryRunAndTheNextOneIsNot) {
    // Frames 29 and 32 of one run, counted from 0: the first meteor's and the second one's.
    const auto meteorFrames = [&](const std::string& seed) {
        const fs::path frames = tree.root() / ("seed" + seed);
        fs::create_directories(frames);
        DemoProcess demo(tree.work(), {"-d", "160", "120"},
                         {{"DEMO_FRAMES", "33"},
                          {"DEMO_TIMESTEP", "1"},
                          {"DEMO_SEED", seed},
                          {"DEMO_RECORD", frames.string()}});
        EXPECT_EQ(demo.wait(), 0) << demo.errorOutput();
        return std::pair(readFile(frames / "00029.png"), readFile(frames / "00032.png"));
    };
    const auto [firstA, secondA] = meteorFrames("1");
    const auto [firstB, secondB] = meteorFrames("2");
    ASSERT_FALSE(firstA.empty());
    EXPECT_TRUE(firstA == firstB) << "the first meteor differs between two runs";
    EXPECT_FALSE(secondA == secondB) << "the second meteor follows no seed";
}

} // namespace
