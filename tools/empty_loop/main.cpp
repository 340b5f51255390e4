// The floor under the demo's frame cost: the same window as the demo's (OpenGL 4.5 core, 4 samples, not
// resizable, the same options for its size), cleared and swapped every frame with nothing drawn.
//
//   empty_loop [-d WIDTH HEIGHT]      frames: DEMO_FRAMES (300 when unset); DEMO_STATS as for the demo
//
// Like the demo with DEMO_STATS, it reports start-up to the end of the first frame and the frame times:
// as a summary on standard error, or with DEMO_STATS=file.csv one row per frame in that file, so that
// scripts/bench-frame reads both programs alike.
#include "app/Automation.h"
#include "app/DisplayOptions.h"
#include "app/FrameStats.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <chrono>
#include <fstream>
#include <iostream>

namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point ProcessStart = Clock::now();

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const Automation& switches = automation();
    if (!switches.problem.empty()) {
        std::cerr << "empty_loop: invalid " << switches.problem << std::endl;
        return 2;
    }
    const int64_t frames = switches.frames.value_or(300);
    if (!glfwInit())
        return 1;
    DisplayMode mode;
    scanDisplayOptions(argc, argv, mode);
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* video = glfwGetVideoMode(monitor);
    fitToMonitor(mode, video->width, video->height);

    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 5);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_REFRESH_RATE, mode.refreshRate);
    glfwWindowHint(GLFW_SAMPLES, 4);
    GLFWwindow* window =
        glfwCreateWindow(mode.width, mode.height, "Demo", mode.fullscreen ? monitor : nullptr, nullptr);
    if (!window)
        return 1;
    glfwSetWindowPos(window, mode.posX, mode.posY);
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
        return 1;
    glEnable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glViewport(0, 0, mode.width, mode.height);

    FrameStats stats;
    for (int64_t frame = 0; frame < frames && !glfwWindowShouldClose(window); ++frame) {
        const Clock::time_point start = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glfwPollEvents();
        glfwSwapBuffers(window);
        stats.addFrame(0.0, millisecondsSince(start));
        if (frame == 0)
            stats.setStartup(millisecondsSince(ProcessStart));
    }
    if (switches.statsPath.empty()) {
        stats.report(std::cerr);
    } else {
        std::ofstream file(switches.statsPath);
        stats.writeCsv(file);
    }
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
