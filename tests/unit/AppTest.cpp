// The application shell without a window: display options, the speed keys, the automation switches and
// the frame clock. Status lines, the other keys and the fatal exit are checked on the real binary.
#include "app/AppState.h"
#include "app/Automation.h"
#include "app/DisplayOptions.h"
#include "app/EngineClock.h"
#include "app/KeyHandler.h"
#include "support/CoutCapture.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace {

struct OptionCase {
    std::vector<const char*> arguments; // after the program name, on a 1920 x 1080 monitor
    bool fullscreen;
    int32_t rate, width, height, posX, posY;
    bool unknown;
};

TEST(DisplayOptions, ChooseModeSizeAndPosition) {
    const OptionCase cases[] = {
        {{"-r", "75", "-d", "1024", "768"}, false, 75, 1024, 768, 448, 156, false},
        {{"-r", "75", "-d", "1024", "768", "-x"}, true, 60, 1920, 1080, 0, 0, true},
    };
    for (const OptionCase& c : cases) {
        std::vector<const char*> argv{"demo"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        SCOPED_TRACE(::testing::PrintToString(std::vector<std::string>(argv.begin() + 1, argv.end())));
        DisplayMode mode;
        CoutCapture capture;
        scanDisplayOptions(static_cast<int>(argv.size()), argv.data(), mode);
        fitToMonitor(mode, 1920, 1080);
        EXPECT_EQ(
            std::make_tuple(mode.fullscreen, mode.refreshRate, mode.width, mode.height, mode.posX, mode.posY),
            std::make_tuple(c.fullscreen, c.rate, c.width, c.height, c.posX, c.posY));
        EXPECT_EQ(capture.text(), c.unknown ? "UNKNOWN OPTION! DEFAULT!\n" : "");
    }
}

// Sides from 1 to 16384 pixels, the largest render target OpenGL 4.5 guarantees, both limits included.
TEST(DisplayOptions, WindowSidesRunFromOneTo16384) {
    for (const auto& [width, height, supported] :
         {std::tuple{16384, 16384, true}, {1, 1, true}, {16385, 1, false}, {1, 16385, false}, {0, 1, false}})
        EXPECT_EQ(windowSizeSupported(width, height), supported) << width << " x " << height;
}

// F10 and F12 toggle: each second press undoes the first.
TEST(Keys, TogglesUndoThemselves) {
    for (const auto& [key, field] :
         {std::pair{GLFW_KEY_F10, &AppState::cameraLocked}, {GLFW_KEY_F12, &AppState::overlayShown}}) {
        AppState state;
        KeyboardState keyboard;
        std::ostringstream out;
        for (const bool expected : {true, false, true}) {
            handleKey(key, GLFW_PRESS, state, keyboard, out);
            EXPECT_EQ(state.*field, expected) << "key " << key;
        }
    }
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

TEST(Automation, TheFirstInvalidSwitchIsNamedWithItsValue) {
    const std::pair<const char*, const char*> invalid[] = {
        {"DEMO_FRAMES", "abc"},    {"DEMO_FRAMES", "-1"},    {"DEMO_FRAMES", "1e99"},
        {"DEMO_FRAMES", "12abc"},  {"DEMO_FRAMES", ""},      {"DEMO_FRAMES", "99999999999999999999"},
        {"DEMO_TIMESTEP", "-0.1"}, {"DEMO_TIMESTEP", "nan"}, {"DEMO_TIMESTEP", "3600.5"},
        {"DEMO_SEED", "-3"},       {"DEMO_SEED", " -3"},     {"DEMO_SEED", "4294967296"},
        {"DEMO_CAPTURE", ""},      {"DEMO_STATS", "yes"},    {"DEMO_STATS", ".csv"},
        {"DEMO_OVERLAY", "yes"},   {"DEMO_OVERLAY", ""},     {"DEMO_RECORD", ""},
        {"DEMO_RECORD", "/no"},    {"DEMO_RECORD", "/x/y"},  {"DEMO_RECORD", "/bin/sh"},
        {"DEMO_GL_DEBUG", "yes"},  {"DEMO_GL_DEBUG", ""},    {"DEMO_GL_DEBUG", "ALL"},
    };
    for (const auto& [name, value] : invalid) {
        const std::string problem = readFrom({{name, value}, {"DEMO_FRAMES", "3"}}).problem;
        EXPECT_EQ(problem.rfind(std::string(name) + "=" + value + " (", 0), 0u) << problem;
    }
}

// Each of DEMO_GL_DEBUG's values asks for its own amount of the driver's output.
TEST(Automation, GlDebugTakesZeroOneOrAll) {
    const std::pair<const char*, GlDebugLevel> valid[] = {
        {"0", GlDebugLevel::Off}, {"1", GlDebugLevel::Messages}, {"all", GlDebugLevel::All}};
    for (const auto& [value, level] : valid) {
        const Automation switches = readFrom({{"DEMO_GL_DEBUG", value}});
        EXPECT_EQ(std::make_pair(switches.glDebug, switches.problem), std::make_pair(level, std::string()))
            << value;
    }
}

TEST(Automation, TheLimitsThemselvesAreAccepted) {
    const Automation limits = readFrom({{"DEMO_SEED", "4294967295"}, {"DEMO_TIMESTEP", "3600"}});
    EXPECT_EQ(limits.problem, "");
    EXPECT_EQ(limits.seed, 4294967295u);
}

// The first step covers all loading time; nothing is clamped.
TEST(FrameClock, StepsAreTheTimeSinceTheLastReadingUnlessOneIsFixed) {
    float previous = 0.0f;
    EXPECT_EQ(nextTimeStep(5.0f, previous, std::nullopt), 5.0f);
    EXPECT_EQ(nextTimeStep(5.25f, previous, std::nullopt), 0.25f);
    EXPECT_EQ(nextTimeStep(9.0f, previous, 0.1f), 0.1f);
    EXPECT_EQ(nextTimeStep(9.5f, previous, std::nullopt), 0.5f);
}

} // namespace
