// The timing overlay and the frame recording in the real binary. With a time step of 0 every frame of a
// run is the same picture, so a frame with the overlay differs from the plain one only where it is drawn.
#include "support/DemoProcess.h"
#include "support/Images.h"
#include "support/TempTree.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// Whether the two frames differ (the overlay is drawn) and only within `right` x `bottom` pixels of the
// top-left corner, counted like the window's pixels.
bool differOnlyInCorner(const Image& a, const Image& b, int right, int bottom) {
    bool differ = false, outside = a.rgb.size() != b.rgb.size();
    for (int y = 0; y < a.height && !outside; ++y)
        for (int x = 0; x < a.width; ++x) {
            const size_t at = 3 * static_cast<size_t>(y * a.width + x);
            if (std::equal(&a.rgb[at], &a.rgb[at] + 3, &b.rgb[at]))
                continue;
            differ = true;
            outside = outside || x >= right || a.height - 1 - y >= bottom;
        }
    return differ && !outside;
}

class OverlayTest : public ::testing::Test {
  protected:
    void SetUp() override { tree.copyFromRepository("."); }

    // A run of `frames` frames at a time step of 0 that must end normally; returns its last frame.
    Image run(const std::string& width, const std::string& height,
              std::map<std::string, std::string> switches) {
        const fs::path capture = tree.work() / "capture.png";
        switches.insert({{"DEMO_TIMESTEP", "0"}, {"DEMO_CAPTURE", capture.string()}, {"MESA_DEBUG", "1"}});
        DemoProcess demo(tree.work(), {"-d", width, height}, switches);
        EXPECT_EQ(demo.wait(), 0) << demo.errorOutput();
        EXPECT_EQ(demo.output(), normalRunOutput());
        EXPECT_EQ(demo.errorOutput(), "");
        return loadImage(capture);
    }

    TempTree tree;
};

// Recorded frames are the captures' pixels. In a window too small for the whole overlay, what does not fit
// is left out.
TEST_F(OverlayTest, DemoOverlayChangesOnlyTheCornerAndDemoRecordWritesEveryFrame) {
    const fs::path plainFrames = tree.root() / "plain", overlayFrames = tree.root() / "overlay";
    fs::create_directories(plainFrames);
    fs::create_directories(overlayFrames);
    const Image plain = run("640", "360", {{"DEMO_FRAMES", "4"}, {"DEMO_RECORD", plainFrames.string()}});
    EXPECT_EQ(std::distance(fs::directory_iterator(plainFrames), fs::directory_iterator()), 4);
    EXPECT_EQ(compareImages(loadImage(plainFrames / "00003.png"), plain).meanLevels, 0.0);

    const Image shown = run(
        "640", "360", {{"DEMO_FRAMES", "4"}, {"DEMO_OVERLAY", "1"}, {"DEMO_RECORD", overlayFrames.string()}});
    EXPECT_EQ(compareImages(loadImage(overlayFrames / "00003.png"), shown).meanLevels, 0.0);
    EXPECT_TRUE(differOnlyInCorner(plain, shown, 640 / 2 + 10, 360 - 8));
    EXPECT_TRUE(differOnlyInCorner(run("160", "120", {{"DEMO_FRAMES", "2"}}),
                                   run("160", "120", {{"DEMO_FRAMES", "2"}, {"DEMO_OVERLAY", "1"}}), 160 - 8,
                                   120 - 8));
}

// F12 is a real key on the real window: pressed once the overlay shows in the frames recorded after it,
// pressed again the frames are the plain ones. F11 after each press tells when it has been handled.
TEST_F(OverlayTest, F12ShowsTheOverlayAndHidesItAgain) {
    const Image plain = run("640", "360", {{"DEMO_FRAMES", "1"}});
    const fs::path frames = tree.root() / "frames", last = tree.root() / "last.png";
    fs::create_directories(frames);
    DemoProcess demo(tree.work(), {"-d", "640", "360"},
                     {{"DEMO_TIMESTEP", "0"},
                      {"DEMO_FRAMES", "1000000"},
                      {"DEMO_RECORD", frames.string()},
                      {"DEMO_CAPTURE", last.string()}});
    const std::string window = findWindowOf(demo);
    ASSERT_FALSE(window.empty()) << demo.output() << demo.errorOutput();
    for (size_t press = 1; press <= 2; ++press)
        ASSERT_TRUE(sendKey(demo, window, "F12") && sendKey(demo, window, "F11") &&
                    demo.waitForOutput(HelpLines, std::chrono::seconds(120), press))
            << demo.output();
    sendKey(demo, window, "Escape");
    ASSERT_EQ(demo.wait(std::chrono::seconds(60)), 0) << demo.errorOutput();
    EXPECT_EQ(demo.output(), normalRunOutput(HelpLines + std::string(HelpLines)));
    EXPECT_EQ(compareImages(loadImage(last), plain).meanLevels, 0.0) << "the overlay is still drawn";
    bool overlaid = false;
    for (const auto& entry : fs::directory_iterator(frames))
        overlaid = overlaid || differOnlyInCorner(loadImage(entry.path()), plain, 640 / 2 + 10, 360 - 8);
    EXPECT_TRUE(overlaid) << "no recorded frame shows the overlay";
}

} // namespace
