#pragma once

#include "app/OverlayContent.h"

#include <vector>

class Scene;
struct GLFWwindow;

// The timing overlay (F12, DEMO_OVERLAY=1): one small window in the top-left corner, drawn with Dear ImGui
// over the finished frame. It only shows: ImGui takes neither the mouse nor the keyboard, installs no
// GLFW callback (the engine's key callback stays the only one), never changes the cursor and writes no
// settings file. Created the first time the overlay is shown, so a run that never shows it never starts
// ImGui; destroyed by shutDown while the window's context is current.
class Overlay {
  public:
    explicit Overlay(GLFWwindow* window);
    ~Overlay();
    Overlay(const Overlay&) = delete;
    Overlay& operator=(const Overlay&) = delete;

    // The wall-clock time of a finished frame, from its start to the end of its buffer swap.
    void addFrameTime(double milliseconds);
    // Draws the overlay into the bound framebuffer and leaves the OpenGL state as it found it. Reads the
    // renderer's stage times of this frame, so it comes after the render.
    void draw(const Scene& scene, float timeStep);

  private:
    GLFWwindow* window_;
    FrameHistory frameTimes_;
    std::vector<StageTime> latestStages_; // the newest stage times that came back
};
