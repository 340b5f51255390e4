// The application shell without a window: status lines, the fatal exit, display options, keys, the
// automation switches and the frame clock.
#include "app/AppState.h"
#include "app/Automation.h"
#include "app/Console.h"
#include "app/DisplayOptions.h"
#include "app/EngineClock.h"
#include "app/KeyHandler.h"
#include "support/ConsoleText.h"
#include "support/CoutCapture.h"

#include <GLFW/glfw3.h>
#include <climits>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace {

TEST(Console, StatusLabelsFillThirtySevenColumns) {
    const std::pair<const char*, const char*> cases[] = {
        {"GLFW", "\t\tGLFW ................................."},
        {"WINDOW", "\t\tWINDOW ..............................."},
        {"GLEW", "\t\tGLEW ................................."},
        {"A LABEL WIDER THAN THE WHOLE COLUMN IS", "\t\tA LABEL WIDER THAN THE WHOLE COLUMN IS "},
    };
    for (const auto& [label, expected] : cases) {
        CoutCapture capture;
        printStatusLabel(label);
        EXPECT_EQ(capture.text(), expected);
    }
}

struct OptionCase {
    std::vector<const char*> arguments; // after the program name, on a 1920 x 1080 monitor
    bool fullscreen;
    int32_t rate, width, height, posX, posY;
    bool unknown;
};

TEST(DisplayOptions, ChooseModeSizeAndPosition) {
    const OptionCase cases[] = {
        {{}, true, 60, 1920, 1080, 0, 0, false},
        {{"-d", "800", "600"}, false, 60, 800, 600, 560, 240, false},
        {{"-r", "75", "-d", "1024", "768"}, false, 75, 1024, 768, 448, 156, false},
        {{"-r", "60Hz"}, true, 60, 1920, 1080, 0, 0, false},
        {{"-r", "75", "-d", "1024", "768", "-x"}, true, 60, 1920, 1080, 0, 0, true},
        {{"-d", "1024", "tall"}, true, 60, 1920, 1080, 0, 0, false},
        {{"-r"}, true, 60, 1920, 1080, 0, 0, false},
        {{"-r", "fast", "-d", "800", "600"}, true, 60, 1920, 1080, 0, 0, false},
        {{"-r", "2147483648"}, true, 60, 1920, 1080, 0, 0, false},
        {{"-d", "640", "480", "-d", "800", "600"}, false, 60, 800, 600, 560, 240, false},
        {{"-D", "800", "600"}, true, 60, 1920, 1080, 0, 0, true},
        {{"-r75"}, true, 60, 1920, 1080, 0, 0, true},
        {{"-d", "0", "600"}, false, 60, 0, 600, 960, 240, false},
    };
    for (const OptionCase& c : cases) {
        std::vector<const char*> argv{"demo"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        SCOPED_TRACE(::testing::PrintToString(std::vector<std::string>(argv.begin() + 1, argv.end())));
        DisplayMode mode;
        CoutCapture capture;
        scanDisplayOptions(static_cast<int>(argv.size()), argv.data(), mode);
        fitToMonitor(mode, 1920, 1080);
        EXPECT_EQ(mode.fullscreen, c.fullscreen);
        EXPECT_EQ(mode.refreshRate, c.rate);
        EXPECT_EQ(std::make_pair(mode.width, mode.height), std::make_pair(c.width, c.height));
        EXPECT_EQ(std::make_pair(mode.posX, mode.posY), std::make_pair(c.posX, c.posY));
        EXPECT_EQ(capture.text(), c.unknown ? "UNKNOWN OPTION! DEFAULT!\n" : "");
    }
    DisplayMode odd;
    odd.fullscreen = false;
    odd.width = 801;
    odd.height = 601;
    fitToMonitor(odd, 1365, 767); // both halves truncate: 682 - 400, 383 - 300
    EXPECT_EQ(std::make_pair(odd.posX, odd.posY), std::make_pair(282, 83));
    // Window sides run from 1 to 16384.
    for (const auto& [width, height] : {std::pair{1, 1}, {16384, 16384}})
        EXPECT_TRUE(windowSizeSupported(width, height)) << width << " x " << height;
    for (const auto& [width, height] : {std::pair{0, 600},
                                        {600, 0},
                                        {-5, -5},
                                        {16385, 100},
                                        {100, 16385},
                                        {INT32_MAX, INT32_MAX},
                                        {INT32_MIN, 1}})
        EXPECT_FALSE(windowSizeSupported(width, height)) << width << " x " << height;
}

struct KeyCase {
    int key;
    int action;
    WindowAction window;
    int32_t reloadPass; // 0: no reload requested
    bool locked;
    const char* printed;
};

TEST(Keys, EachKeyHasItsOneEffect) {
    const KeyCase cases[] = {
        {GLFW_KEY_ESCAPE, GLFW_PRESS, WindowAction::Close, 0, false, ""},
        {GLFW_KEY_F1, GLFW_PRESS, WindowAction::None, 1, false, ""},
        {GLFW_KEY_F2, GLFW_PRESS, WindowAction::None, 2, false, ""},
        {GLFW_KEY_F5, GLFW_PRESS, WindowAction::None, 5, false, ""},
        {GLFW_KEY_F8, GLFW_PRESS, WindowAction::None, 8, false, ""},
        {GLFW_KEY_F9, GLFW_PRESS, WindowAction::CaptureCursor, 0, false, "CURSORDISABLED\n"},
        {GLFW_KEY_F10, GLFW_PRESS, WindowAction::None, 0, true, ""},
        {GLFW_KEY_F11, GLFW_PRESS, WindowAction::None, 0, false, HelpLines},
        {GLFW_KEY_F12, GLFW_PRESS, WindowAction::None, 0, false, ""},
        {GLFW_KEY_A, GLFW_PRESS, WindowAction::None, 0, false, ""},
        {GLFW_KEY_ESCAPE, GLFW_RELEASE, WindowAction::None, 0, false, ""},
        {GLFW_KEY_F1, GLFW_REPEAT, WindowAction::None, 0, false, ""},
        {GLFW_KEY_F10, GLFW_REPEAT, WindowAction::None, 0, false, ""},
        {GLFW_KEY_F11, GLFW_RELEASE, WindowAction::None, 0, false, ""},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "key " << c.key << ", action " << c.action);
        AppState state;
        KeyboardState keyboard;
        std::ostringstream out;
        EXPECT_EQ(handleKey(c.key, c.action, state, keyboard, out), c.window);
        EXPECT_EQ(state.reloadRequested, c.reloadPass != 0);
        EXPECT_EQ(state.reloadPass, c.reloadPass);
        EXPECT_EQ(state.cameraLocked, c.locked);
        EXPECT_EQ(state.speedFactor, 0.4f);
        EXPECT_EQ(out.str(), c.printed);
    }
}

TEST(Keys, TogglesAlternateAndTheLastFunctionKeyWins) {
    AppState state;
    KeyboardState keyboard;
    std::ostringstream out;
    const auto press = [&](int key) { return handleKey(key, GLFW_PRESS, state, keyboard, out); };
    EXPECT_EQ(press(GLFW_KEY_F9), WindowAction::CaptureCursor);
    EXPECT_EQ(press(GLFW_KEY_F9), WindowAction::ReleaseCursor);
    EXPECT_EQ(press(GLFW_KEY_F9), WindowAction::CaptureCursor);
    EXPECT_EQ(out.str(), "CURSORDISABLED\nCURSORENABLED\nCURSORDISABLED\n");
    press(GLFW_KEY_F10);
    press(GLFW_KEY_F10);
    EXPECT_FALSE(state.cameraLocked);
    press(GLFW_KEY_F3);
    press(GLFW_KEY_F1);
    EXPECT_EQ(state.reloadPass, 1);
}

// The speed is walked in float32 steps of 0.1 from 0.4; the limits are compared in float32 too, so the
// walk ends just above 0.9 and just above 0.1 rather than at 1.0 and 0.0.
TEST(Keys, SpeedWalksInFloatStepsBetweenItsLimits) {
    AppState state;
    KeyboardState keyboard;
    std::ostringstream out;
    float expected = 0.4f;
    for (int press = 0; press < 20; ++press) { // 5 steps up, 3 presses too many, 8 steps down, 4 too many
        handleKey(press < 8 ? GLFW_KEY_X : GLFW_KEY_Y, GLFW_PRESS, state, keyboard, out);
        expected += press < 5 ? 0.1f : press >= 8 && press < 16 ? -0.1f : 0.0f;
        EXPECT_EQ(state.speedFactor, expected) << "press " << press + 1;
    }
    EXPECT_NEAR(state.speedFactor, 0.1f, 1e-6f);
}

Automation readFrom(const std::map<std::string, std::string>& environment) {
    return readAutomation([&](const char* name) -> const char* {
        const auto found = environment.find(name);
        return found == environment.end() ? nullptr : found->second.c_str();
    });
}

TEST(Automation, ValidSwitchesAreReadAndTheFirstInvalidOneIsNamedWithItsValue) {
    const Automation none = readFrom({});
    EXPECT_FALSE(none.frames || none.timestep || none.seed || none.stats);
    EXPECT_EQ(none.capturePath + none.statsPath + none.problem, "");

    const Automation all = readFrom({{"DEMO_FRAMES", "0"},
                                     {"DEMO_TIMESTEP", "0.05"},
                                     {"DEMO_SEED", "4294967295"},
                                     {"DEMO_CAPTURE", "out.png"},
                                     {"DEMO_STATS", "frames.csv"}});
    EXPECT_EQ(std::make_tuple(all.frames, all.timestep, all.seed), std::make_tuple(0, 0.05f, 4294967295u));
    EXPECT_EQ(all.capturePath + " " + all.statsPath + all.problem, "out.png frames.csv");
    EXPECT_FALSE(all.stats);
    EXPECT_TRUE(readFrom({{"DEMO_STATS", "1"}}).stats);
    EXPECT_EQ(readFrom({{"DEMO_TIMESTEP", "3600"}}).timestep, 3600.0f); // an hour a frame, no more
    EXPECT_EQ(readFrom({{"DEMO_STATS", "0"}}).problem, "");

    const std::pair<const char*, const char*> invalid[] = {
        {"DEMO_FRAMES", "abc"},    {"DEMO_FRAMES", "-1"},    {"DEMO_FRAMES", "1e99"},
        {"DEMO_FRAMES", "12abc"},  {"DEMO_FRAMES", ""},      {"DEMO_FRAMES", "99999999999999999999"},
        {"DEMO_TIMESTEP", "-0.1"}, {"DEMO_TIMESTEP", "nan"}, {"DEMO_TIMESTEP", "3600.5"},
        {"DEMO_SEED", "-3"},       {"DEMO_SEED", " -3"},     {"DEMO_SEED", "4294967296"},
        {"DEMO_CAPTURE", ""},      {"DEMO_STATS", "yes"},    {"DEMO_STATS", ".csv"},
        {"DEMO_OVERLAY", "yes"},   {"DEMO_OVERLAY", ""},     {"DEMO_RECORD", ""},
        {"DEMO_RECORD", "/no"},    {"DEMO_RECORD", "/x/y"},  {"DEMO_RECORD", "/bin/sh"},
    };
    for (const auto& [name, value] : invalid) {
        const std::string problem = readFrom({{name, value}, {"DEMO_FRAMES", "3"}}).problem;
        EXPECT_EQ(problem.rfind(std::string(name) + "=" + value + " (", 0), 0u) << problem;
    }
}

TEST(FrameClock, StepsAreTheTimeSinceTheLastReadingUnlessOneIsFixed) {
    float previous = 0.0f;
    // The first step covers all loading time; nothing is clamped.
    EXPECT_EQ(nextTimeStep(5.0f, previous, std::nullopt), 5.0f);
    EXPECT_EQ(nextTimeStep(5.25f, previous, std::nullopt), 0.25f);
    EXPECT_EQ(nextTimeStep(5.5f, previous, std::nullopt), 0.25f);
    EXPECT_EQ(nextTimeStep(9.0f, previous, 0.1f), 0.1f);
    EXPECT_EQ(nextTimeStep(9.5f, previous, std::nullopt), 0.5f);
}

} // namespace
