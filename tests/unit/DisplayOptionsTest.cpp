#include "app/DisplayOptions.h"

#include "CoutCapture.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct OptionCase {
    const char* name;
    std::vector<const char*> arguments; // after the program name
    int32_t monitorWidth;
    int32_t monitorHeight;
    DisplayMode expected;
    bool warnsUnknown;
};

DisplayMode fullscreenMode(int32_t width, int32_t height, int32_t rate = 60) {
    DisplayMode mode;
    mode.refreshRate = rate;
    mode.width = width;
    mode.height = height;
    return mode;
}

DisplayMode windowMode(int32_t x, int32_t y, int32_t width, int32_t height, int32_t rate = 60) {
    DisplayMode mode;
    mode.fullscreen = false;
    mode.refreshRate = rate;
    mode.posX = x;
    mode.posY = y;
    mode.width = width;
    mode.height = height;
    return mode;
}

class DisplayOptionsTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(DisplayOptionsTest, ChoosesModeSizeAndPosition) {
    const OptionCase& c = GetParam();
    std::vector<const char*> argv{"demo"};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());

    DisplayMode mode;
    CoutCapture capture;
    scanDisplayOptions(static_cast<int>(argv.size()), argv.data(), mode);
    fitToMonitor(mode, c.monitorWidth, c.monitorHeight);

    EXPECT_EQ(mode.fullscreen, c.expected.fullscreen);
    EXPECT_EQ(mode.refreshRate, c.expected.refreshRate);
    EXPECT_EQ(mode.width, c.expected.width);
    EXPECT_EQ(mode.height, c.expected.height);
    EXPECT_EQ(mode.posX, c.expected.posX);
    EXPECT_EQ(mode.posY, c.expected.posY);
    EXPECT_EQ(capture.text(), c.warnsUnknown ? "UNKNOWN OPTION! DEFAULT!\n" : "");
}

const OptionCase optionCases[] = {
    {"NoArguments", {}, 1920, 1080, fullscreenMode(1920, 1080), false},
    {"WindowCentred", {"-d", "800", "600"}, 1920, 1080, windowMode(560, 240, 800, 600), false},
    {"OddSizesTruncateHalves", {"-d", "801", "601"}, 1366, 768, windowMode(283, 84, 801, 601), false},
    {"OddMonitorTruncates", {"-d", "100", "100"}, 1365, 767, windowMode(632, 333, 100, 100), false},
    {"RateThenWindow",
     {"-r", "75", "-d", "1024", "768"},
     1920,
     1080,
     windowMode(448, 156, 1024, 768, 75),
     false},
    {"ValueWithUnitReadsNumber", {"-r", "60Hz"}, 1920, 1080, fullscreenMode(1920, 1080, 60), false},
    {"RateWithLeadingBlankAndSign", {"-r", " +75"}, 1920, 1080, fullscreenMode(1920, 1080, 75), false},
    {"UnknownUndoesWindowAndRate",
     {"-r", "75", "-d", "1024", "768", "-x"},
     1920,
     1080,
     fullscreenMode(1920, 1080),
     true},
    {"FailedHeightKeepsFullscreen", {"-d", "1024", "tall"}, 1920, 1080, fullscreenMode(1920, 1080), false},
    {"RateLastHasNoValue", {"-r"}, 1920, 1080, fullscreenMode(1920, 1080), false},
    {"FailedRateStopsScan",
     {"-r", "fast", "-d", "800", "600"},
     1920,
     1080,
     fullscreenMode(1920, 1080),
     false},
    {"RateOutOfRange", {"-r", "99999999999"}, 1920, 1080, fullscreenMode(1920, 1080), false},
    {"EmptyValue", {"-d", "", "600"}, 1920, 1080, fullscreenMode(1920, 1080), false},
    {"LaterOptionOverrides",
     {"-d", "640", "480", "-d", "800", "600"},
     1920,
     1080,
     windowMode(560, 240, 800, 600),
     false},
    {"UpperCaseIsUnknown", {"-D", "800", "600"}, 1920, 1080, fullscreenMode(1920, 1080), true},
    {"JoinedValueIsUnknown", {"-r75"}, 1920, 1080, fullscreenMode(1920, 1080), true},
    {"DoubleDashIsUnknown", {"--d", "800", "600"}, 1920, 1080, fullscreenMode(1920, 1080), true},
    {"ZeroWidthStillWindowed", {"-d", "0", "600"}, 1920, 1080, windowMode(960, 240, 0, 600), false},
};

INSTANTIATE_TEST_SUITE_P(Arguments, DisplayOptionsTest, ::testing::ValuesIn(optionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ParseIntValue, LeavesValueAloneWhenNothingParses) {
    int32_t value = 7;
    EXPECT_FALSE(parseIntValue(nullptr, value));
    EXPECT_FALSE(parseIntValue("", value));
    EXPECT_FALSE(parseIntValue("Hz60", value));
    EXPECT_FALSE(parseIntValue("2147483648", value));
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(parseIntValue("-2147483648", value));
    EXPECT_EQ(value, INT32_MIN);
}

} // namespace
