#pragma once

#include "app/DisplayOptions.h"

struct GLFWwindow;
struct GLFWmonitor;

// The one window with its OpenGL 4.5 core context. Construction prints the "WINDOW" status line, reads
// the display options, creates the window, makes its context current and sets the initial GL state;
// a failure there is fatal. The size never changes afterwards.
struct Window : DisplayMode {
    GLFWwindow* handle = nullptr; // owned; null after destruction

    Window(int argc, char** argv);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // The primary monitor for full-screen, or null for a centred window.
    GLFWmonitor* parseDisplayOptions(int argc, char** argv);
    void createWindow(GLFWmonitor* monitor);
};
