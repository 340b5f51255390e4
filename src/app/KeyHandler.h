#pragma once

#include <ostream>

struct AppState;
struct GLFWwindow;

// Nine lines, no line feed after the last.
extern const char* const HelpText;

// What a key press asks of the window; the rest of a key's effect is on AppState and the console.
enum class WindowAction { None, Close, CaptureCursor, ReleaseCursor };

// The handler's own state beside AppState. The window starts captured while this starts false, so the
// first F9 reports "DISABLED" and keeps the cursor captured.
struct KeyboardState {
    bool cursorCaptured = false;
};

// Applies one key event (GLFW key and action codes) and returns what the window must do. Only presses
// act; repeats and releases are ignored, as are scancode and modifiers.
WindowAction handleKey(int key, int action, AppState& state, KeyboardState& keyboard, std::ostream& out);

// The GLFW key callback: handleKey on the process-wide state, then the window action.
void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
