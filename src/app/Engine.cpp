#include "app/Engine.h"

#include "app/Automation.h"
#include "app/Console.h"
#include "app/EngineClock.h"
#include "app/FrameCapture.h"
#include "app/FrameStats.h"
#include "app/Window.h"
#include "render/Renderer.h"
#include "scene/Scene.h"
#include "scene/SceneUpdate.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <cassert>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <memory>

namespace {

std::unique_ptr<Window> processWindow;
std::unique_ptr<Scene> processScene;

void startLibrary(const char* label, bool started) {
    printStatusLabel(label);
    if (!started)
        fatalError("FAIL!");
    std::cout << "OK!" << std::endl;
}

// Seeded after the scene is built, so the draws made while assembling it are the same in every run.
void seedRandomGenerator() {
    const auto& seed = automation().seed;
    std::srand(seed ? *seed : static_cast<unsigned>(std::time(nullptr)));
}

bool isLastFrame(int64_t framesDone) {
    const auto& budget = automation().frames;
    return glfwWindowShouldClose(window().handle) || (budget && framesDone >= *budget);
}

// The update refreshes entry 0 of the draw list and the current light, which the render then reads.
void drawFrame(float timeStep, FrameStats& stats) {
    Scene& world = scene();
    updateScene(world, timeStep);
    world.renderer->render(world.camera, *world.currentLight, world.drawList, world.waterSurfaces,
                           *world.skybox, *world.waterTargets);
    for (const StageTime& stage : world.renderer->stageTimes())
        stats.addStage(stage.stage, stage.milliseconds);
}

} // namespace

Window& window() {
    assert(processWindow && "the window exists only between startUp and shutDown");
    return *processWindow;
}

Scene& scene() {
    assert(processScene && "the scene exists only between startUp and shutDown");
    return *processScene;
}

void startUp(int argc, char** argv) {
    std::cout << "INITIALIZING LIBRARIES:" << std::endl;
    startLibrary("GLFW", glfwInit() == GLFW_TRUE);
    processWindow = std::make_unique<Window>(argc, argv);
    glewExperimental = GL_TRUE;
    startLibrary("GLEW", glewInit() == GLEW_OK);
    processScene = std::make_unique<Scene>(window().width, window().height);
    seedRandomGenerator();
}

void runFrameLoop() {
    const Automation& switches = automation();
    FrameStats stats;
    float previousTime = 0.0f;
    int64_t framesDone = 0;
    while (!glfwWindowShouldClose(window().handle) && !(switches.frames && framesDone >= *switches.frames)) {
        const auto frameStart = std::chrono::steady_clock::now();
        advanceEngineClock();
        const float now = engineTime();
        // No clamping: the first step covers all loading time.
        const float timeStep = switches.timestep ? *switches.timestep : now - previousTime;
        previousTime = now;

        drawFrame(timeStep, stats);
        glfwPollEvents();
        ++framesDone;

        if (!switches.capturePath.empty() && isLastFrame(framesDone))
            writeFrameCapture(switches.capturePath, window().width, window().height);
        glfwSwapBuffers(window().handle);
        stats.addFrame(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - frameStart).count());
    }
    if (switches.stats)
        stats.report(std::cerr);
}

void shutDown() {
    std::cout << "CLEANING UP LIBRARIES:" << std::endl;
    // The scene's GPU objects go while the window's context is still current.
    processScene.reset();
    processWindow.reset();
    printStatusLabel("GLFW");
    glfwTerminate();
    std::cout << "OK!" << std::endl;
    pauseConsole();
}
