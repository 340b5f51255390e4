#include "app/KeyHandler.h"

#include "app/AppState.h"

#include <GLFW/glfw3.h>
#include <iostream>

const char* const HelpText = "F1 ... PHONG\n"
                             "F2 ... BILLBOARD\n"
                             "F3 ... WATER\n"
                             "F4 ... SHADOW\n"
                             "F5 ... DEBUGGER\n"
                             "F9 ... CURSOR\n"
                             "F10 ... LOCK\n"
                             "F11 ... HELP\n"
                             "ESC ... EXIT";

namespace {

// The limits are compared in float32 and the steps added in float32: in double the walk would reach 1.0.
constexpr float SpeedStep = 0.1f;
constexpr float SpeedCeiling = 0.9f;
constexpr float SpeedFloor = 0.2f;

void requestReload(AppState& state, int pass) {
    state.reloadRequested = true;
    state.reloadPass = pass;
}

WindowAction toggleCursor(KeyboardState& keyboard, std::ostream& out) {
    keyboard.cursorCaptured = !keyboard.cursorCaptured;
    out << "CURSOR" << (keyboard.cursorCaptured ? "DISABLED" : "ENABLED") << std::endl;
    return keyboard.cursorCaptured ? WindowAction::CaptureCursor : WindowAction::ReleaseCursor;
}

KeyboardState& processKeyboard() {
    static KeyboardState keyboard;
    return keyboard;
}

} // namespace

WindowAction handleKey(int key, int action, AppState& state, KeyboardState& keyboard, std::ostream& out) {
    if (action != GLFW_PRESS)
        return WindowAction::None;

    if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F8) {
        requestReload(state, key - GLFW_KEY_F1 + 1);
        return WindowAction::None;
    }
    switch (key) {
    case GLFW_KEY_ESCAPE:
        return WindowAction::Close;
    case GLFW_KEY_F9:
        return toggleCursor(keyboard, out);
    case GLFW_KEY_F10:
        state.cameraLocked = !state.cameraLocked;
        break;
    case GLFW_KEY_F11:
        out << HelpText << std::endl;
        break;
    case GLFW_KEY_F12: // silent, and left out of the help text, which stays as users know it
        state.overlayShown = !state.overlayShown;
        break;
    case GLFW_KEY_X:
        state.speedFactor += state.speedFactor > SpeedCeiling ? 0.0f : SpeedStep;
        break;
    case GLFW_KEY_Y:
        state.speedFactor -= state.speedFactor < SpeedFloor ? 0.0f : SpeedStep;
        break;
    default:
        break;
    }
    return WindowAction::None;
}

void keyCallback(GLFWwindow* window, int key, int /*scancode*/, int action, int /*mods*/) {
    switch (handleKey(key, action, appState(), processKeyboard(), std::cout)) {
    case WindowAction::Close:
        glfwSetWindowShouldClose(window, GLFW_TRUE);
        break;
    case WindowAction::CaptureCursor:
        glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
        break;
    case WindowAction::ReleaseCursor:
        glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_NORMAL);
        break;
    case WindowAction::None:
        break;
    }
}
