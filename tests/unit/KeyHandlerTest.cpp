#include "app/KeyHandler.h"

#include "app/AppState.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <sstream>

namespace {

class KeyHandlerTest : public ::testing::Test {
  protected:
    WindowAction press(int key) { return handleKey(key, GLFW_PRESS, state, keyboard, out); }

    AppState state;
    KeyboardState keyboard;
    std::ostringstream out;
};

TEST_F(KeyHandlerTest, SpeedWalksInFloatStepsAndStopsAtTheLimits) {
    const float expectedUp[] = {0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
    float walked = 0.4f;
    for (int i = 0; i < 10; ++i) {
        press(GLFW_KEY_X);
        if (i < 5) {
            walked += 0.1f;
            EXPECT_FLOAT_EQ(state.speedFactor, expectedUp[i]) << "press " << i + 1;
        }
        EXPECT_EQ(state.speedFactor, walked) << "press " << i + 1 << " must repeat the float32 additions";
    }
    EXPECT_GT(state.speedFactor, 0.9f);
    EXPECT_LT(state.speedFactor, 0.95f);

    AppState fresh;
    state = fresh;
    for (int i = 0; i < 10; ++i)
        press(GLFW_KEY_Y);
    EXPECT_EQ(state.speedFactor, 0.4f - 0.1f - 0.1f - 0.1f);
    EXPECT_GT(state.speedFactor, 0.09f);
    EXPECT_LT(state.speedFactor, 0.11f);
}

TEST_F(KeyHandlerTest, FunctionKeysCollapseIntoTheLastRequest) {
    for (int pass = 1; pass <= 8; ++pass) {
        AppState fresh;
        state = fresh;
        EXPECT_EQ(press(GLFW_KEY_F1 + pass - 1), WindowAction::None);
        EXPECT_TRUE(state.reloadRequested);
        EXPECT_EQ(state.reloadPass, pass);
    }
    press(GLFW_KEY_F3);
    press(GLFW_KEY_F1);
    EXPECT_EQ(state.reloadPass, 1);
    EXPECT_EQ(out.str(), "") << "only F9 and F11 print";
}

TEST_F(KeyHandlerTest, RepeatAndReleaseAreIgnored) {
    for (int action : {GLFW_REPEAT, GLFW_RELEASE}) {
        for (int key : {GLFW_KEY_ESCAPE, GLFW_KEY_F1, GLFW_KEY_F9, GLFW_KEY_F10, GLFW_KEY_F11, GLFW_KEY_X}) {
            EXPECT_EQ(handleKey(key, action, state, keyboard, out), WindowAction::None);
        }
    }
    AppState untouched;
    EXPECT_EQ(state.reloadRequested, untouched.reloadRequested);
    EXPECT_EQ(state.cameraLocked, untouched.cameraLocked);
    EXPECT_EQ(state.speedFactor, untouched.speedFactor);
    EXPECT_FALSE(keyboard.cursorCaptured);
    EXPECT_EQ(out.str(), "");
}

TEST_F(KeyHandlerTest, LockTogglesOncePerPress) {
    press(GLFW_KEY_F10);
    handleKey(GLFW_KEY_F10, GLFW_REPEAT, state, keyboard, out);
    EXPECT_TRUE(state.cameraLocked);
    press(GLFW_KEY_F10);
    EXPECT_FALSE(state.cameraLocked);
}

TEST_F(KeyHandlerTest, CursorToggleStartsByReportingDisabled) {
    EXPECT_EQ(press(GLFW_KEY_F9), WindowAction::CaptureCursor);
    EXPECT_EQ(press(GLFW_KEY_F9), WindowAction::ReleaseCursor);
    EXPECT_EQ(press(GLFW_KEY_F9), WindowAction::CaptureCursor);
    EXPECT_EQ(out.str(), "CURSORDISABLED\nCURSORENABLED\nCURSORDISABLED\n");
}

TEST_F(KeyHandlerTest, HelpListsNineLines) {
    press(GLFW_KEY_F11);
    EXPECT_EQ(out.str(), "F1 ... PHONG\nF2 ... BILLBOARD\nF3 ... WATER\nF4 ... SHADOW\nF5 ... DEBUGGER\n"
                         "F9 ... CURSOR\nF10 ... LOCK\nF11 ... HELP\nESC ... EXIT\n");
}

TEST_F(KeyHandlerTest, EscapeClosesAndOtherKeysDoNothing) {
    EXPECT_EQ(press(GLFW_KEY_ESCAPE), WindowAction::Close);
    for (int key : {GLFW_KEY_A, GLFW_KEY_Z, GLFW_KEY_F12, GLFW_KEY_SPACE, GLFW_KEY_UNKNOWN})
        EXPECT_EQ(press(key), WindowAction::None);
    EXPECT_FALSE(state.reloadRequested);
    EXPECT_EQ(state.effectPhase, 0);
    EXPECT_EQ(out.str(), "");
}

} // namespace
