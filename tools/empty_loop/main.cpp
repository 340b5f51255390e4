// The floor under the demo's frame cost: the demo's own window (OpenGL 4.5 core, 4 samples, not
// resizable, the same options for its size), cleared and swapped every frame with nothing drawn.
//
//   empty_loop [-d WIDTH HEIGHT]      frames: DEMO_FRAMES (300 when unset); DEMO_STATS as for the demo
//
// Like the demo with DEMO_STATS, it reports start-up to the end of the first frame and the frame times:
// as a summary on standard error, or with DEMO_STATS=file.csv one row per frame in that file, so that
// scripts/bench-frame reads both programs alike. Its standard output is the window's status lines.
#include "app/Automation.h"
#include "app/FrameStats.h"
#include "app/Window.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <fstream>
#include <iostream>

namespace {

const std::chrono::steady_clock::time_point ProcessStart = std::chrono::steady_clock::now();

void runLoop(const Window& window, int64_t frames, FrameStats& stats) {
    for (int64_t frame = 0; frame < frames && !glfwWindowShouldClose(window.handle); ++frame) {
        const auto start = std::chrono::steady_clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glfwPollEvents();
        glfwSwapBuffers(window.handle);
        stats.addFrame(0.0, millisecondsSince(start));
        if (frame == 0)
            stats.setStartup(millisecondsSince(ProcessStart));
    }
}

} // namespace

int main(int argc, char** argv) {
    const Automation& switches = automation();
    if (!switches.problem.empty()) {
        std::cerr << "empty_loop: invalid " << switches.problem << std::endl;
        return 2;
    }
    if (!glfwInit())
        return 1;
    FrameStats stats;
    {
        const Window window(argc, argv); // a window that cannot be made ends the process here
        glewExperimental = GL_TRUE;
        if (glewInit() != GLEW_OK)
            return 1;
        runLoop(window, switches.frames.value_or(300), stats);
    }
    if (switches.statsPath.empty()) {
        stats.report(std::cerr);
    } else {
        std::ofstream file(switches.statsPath);
        stats.writeCsv(file);
    }
    glfwTerminate();
    return 0;
}
