#include "app/Engine.h"

#include "app/AppState.h"
#include "app/Automation.h"
#include "app/Console.h"
#include "app/EngineClock.h"
#include "app/FileOutput.h"
#include "app/FrameCapture.h"
#include "app/FrameStats.h"
#include "app/GlDebugOutput.h"
#include "app/Overlay.h"
#include "app/Signals.h"
#include "app/Window.h"
#include "assets/StartupLoader.h"
#include "render/Renderer.h"
#include "scene/Scene.h"
#include "scene/SceneUpdate.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <optional>
#include <sstream>
#include <thread>

namespace {

// Plain pointers rather than owning smart pointers: a fatal error, or the X library losing the display,
// ends the process through exit, which runs static destructors. Neither object may be torn down from
// there: the scene would release GL objects behind a dead context and walk catalogue tables that are
// already gone, and the window would print its status line after the final prompt. Only shutDown
// deletes them.
Window* processWindow = nullptr;
Scene* processScene = nullptr;
Overlay* processOverlay = nullptr; // made the first time the overlay is shown

// Taken as the program is loaded, for the start-up time of the frame statistics.
const std::chrono::steady_clock::time_point ProcessStart = std::chrono::steady_clock::now();

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

bool frameBudgetSpent(int64_t framesDone) {
    const auto& budget = automation().frames;
    return budget && framesDone >= *budget;
}

// A stop signal ends the run like a window asked to close.
bool loopEnds(int64_t framesDone) {
    return stopRequested() || glfwWindowShouldClose(window().handle) || frameBudgetSpent(framesDone);
}

// GPU times arrive some frames after their own; the renderer numbers frames as the loop counts them.
void addStageTimes(FrameStats& stats, const std::vector<StageTime>& times) {
    for (const StageTime& time : times)
        stats.addStage(time.frame, time.stage, time.milliseconds);
}

// The update refreshes entry 0 of the draw list and the current light, which the render then reads.
void drawFrame(float timeStep, FrameStats* stats) {
    Scene& world = scene();
    updateScene(world, timeStep);
    world.renderer->render(world.camera, *world.currentLight, world.drawList, world.waterSurfaces,
                           *world.skybox, *world.waterTargets);
    if (stats)
        addStageTimes(*stats, world.renderer->stageTimes());
}

// The last frames' GPU times are still on their way when the loop ends: waited for, every row has them.
void collectLastStageTimes(FrameStats& stats) {
    Renderer& renderer = *scene().renderer;
    addStageTimes(stats, renderer.finishStageTimes());
    stats.setDroppedGpuFrames(renderer.droppedStageFrames());
}

// ImGui starts only once the overlay is first shown, and the stage timer whose times it shows runs only
// while it is shown (or for the statistics): hidden, the overlay costs nothing.
void prepareOverlay(bool shown, bool statsWanted) {
    Renderer& renderer = *scene().renderer;
    if (shown) {
        if (!processOverlay)
            processOverlay = new Overlay(window().handle);
        renderer.enableStageTimer();
    } else if (!statsWanted) {
        renderer.disableStageTimer();
    }
}

void reportStats(const FrameStats& stats) {
    const Automation& switches = automation();
    if (switches.stats)
        stats.report(std::cerr);
    if (switches.statsPath.empty())
        return;
    std::ostringstream table;
    stats.writeCsv(table);
    const std::string text = table.str();
    if (!writeFileWhole(switches.statsPath, text.data(), text.size()))
        std::cerr << "demo: could not write the frame statistics " << switches.statsPath << std::endl;
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
    // The scene's files are decoded on every core while the window and its context open; the scene takes
    // them as it is built.
    const unsigned cores = std::max(std::thread::hardware_concurrency(), 1u);
    startLoading(sceneLoadJobs(), fileLoadFunction(cores), cores);
    std::cout << "INITIALIZING LIBRARIES:" << std::endl;
    startLibrary("GLFW", glfwInit() == GLFW_TRUE);
    processWindow = new Window(argc, argv);
    glewExperimental = GL_TRUE;
    startLibrary("GLEW", glewInit() == GLEW_OK);
    startGlDebugOutput(automation().glDebug);
    processScene = new Scene(window().width, window().height);
    seedRandomGenerator();
    endLoading(); // the scene has taken every file it needs
}

void runFrameLoop() {
    const Automation& switches = automation();
    const bool recording = switches.stats || !switches.statsPath.empty();
    FrameStats stats;
    std::optional<FrameRecorder> recorder;
    if (!switches.recordFolder.empty())
        recorder.emplace(switches.recordFolder);
    appState().overlayShown = switches.overlay;
    float previousTime = 0.0f;
    bool captured = false;
    bool last = loopEnds(0);
    for (int64_t framesDone = 0; !last;) {
        // Between frames, where no line is half-written: what came during start-up or the last frame.
        writeGlDebugMessages();
        const auto frameStart = std::chrono::steady_clock::now();
        advanceEngineClock();
        const float now = engineTime();
        const float timeStep = nextTimeStep(now, previousTime, switches.timestep);
        // Read once: F12 handled below takes effect from the next frame on.
        const bool overlayShown = appState().overlayShown;
        prepareOverlay(overlayShown, recording);
        drawFrame(timeStep, recording ? &stats : nullptr);
        // Over the finished frame, so that the capture and the recording show it too.
        if (overlayShown)
            processOverlay->draw(scene(), timeStep);
        glfwPollEvents();
        ++framesDone;

        if (recorder)
            recorder->writeFrame(window().width, window().height);

        // Whether this is the last frame is known only now: a key handled just above may end the run. A
        // signal may come at any moment, so the answer is taken once: the frame captured is the last one.
        last = loopEnds(framesDone);
        if (!switches.capturePath.empty() && last) {
            writeFrameCapture(switches.capturePath, window().width, window().height);
            captured = true;
        }
        glfwSwapBuffers(window().handle);
        if (overlayShown)
            processOverlay->addFrameTime(millisecondsSince(frameStart));
        if (!recording)
            continue;
        stats.addFrame(now, millisecondsSince(frameStart));
        if (framesDone == 1)
            stats.setStartup(millisecondsSince(ProcessStart));
    }
    if (!switches.capturePath.empty() && !captured)
        std::cerr << "demo: no frame was drawn, so none was captured to " << switches.capturePath
                  << std::endl;
    if (recording)
        collectLastStageTimes(stats);
    reportStats(stats);
}

void shutDown() {
    std::cout << "CLEANING UP LIBRARIES:" << std::endl;
    // ImGui's and the scene's GPU objects go while the window's context is still current.
    delete processOverlay;
    processOverlay = nullptr;
    delete processScene;
    processScene = nullptr;
    // The scene's release is the run's last GL work: its messages and the count come before the window goes.
    finishGlDebugOutput();
    delete processWindow;
    processWindow = nullptr;
    printStatusLabel("GLFW");
    glfwTerminate();
    std::cout << "OK!" << std::endl;
    pauseConsole();
}
