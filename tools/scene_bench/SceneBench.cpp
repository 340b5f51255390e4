// Measures the per-frame update of the whole world and counts the heap allocations it makes once the
// world has run through a full orb and meteor cycle.
//
//   scene_bench [mesh directory] [frames]     (defaults: ../Resources/Meshes/ and 5400, 90 s at 60 Hz)
//
// Run it from build/ (or any folder beside Resources/). The models are read with the real loaders but
// get no GPU buffers, which the update never touches, so no window or OpenGL context is needed.

#include "app/AppState.h"
#include "assets/Mesh.h"
#include "assets/ResourceCatalogue.h"
#include "render/Skybox.h"
#include "scene/Scene.h"
#include "scene/SceneUpdate.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

std::size_t allocations = 0;

struct CpuMeshLoader : MeshLoader {
    MeshBuffers* createBuffers() override { return new MeshBuffers(); }
};

void loadModels(const std::string& directory) {
    CpuMeshLoader loader;
    for (const std::string& name : readResourceList("Meshes", directory))
        if (Mesh* mesh = loader.loadMesh(name, directory))
            meshTable().emplace(name, mesh);
    // The emitter never reads its plane's layout during the update, so the model loader serves.
    if (Mesh* plane = loader.loadMesh("plane.obj", directory))
        meshTable().emplace("plane.obj", plane);
}

void unloadModels() {
    for (auto& entry : meshTable()) {
        delete entry.second->buffers;
        delete entry.second;
    }
    meshTable().clear();
}

// Runs `frames` updates of 1/60 s and returns the mean nanoseconds per update.
double runFrames(Scene& scene, int frames) {
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < frames; ++frame) {
        float dt = 1.0f / 60.0f;
        updateScene(scene, dt);
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::nano>(elapsed).count() / frames;
}

std::size_t instanceCount(const Scene& scene) {
    std::size_t count = 0;
    for (const SceneObject* object : scene.drawList)
        count += object ? object->instances.size() : 0;
    return count;
}

} // namespace

#ifndef __SANITIZE_ADDRESS__
// Every allocation of the program is counted (the library's array and nothrow forms come through here);
// AddressSanitizer brings its own allocator, so a sanitized build counts nothing.
constexpr bool CountsAllocations = true;

void* operator new(std::size_t size) {
    ++allocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
#else
constexpr bool CountsAllocations = false;
#endif

int main(int argc, char** argv) {
    const std::string directory = argc > 1 ? argv[1] : "../Resources/Meshes/";
    const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5400;
    loadModels(directory);
    double best = 0.0;
    std::size_t steadyAllocations = 0;
    std::size_t instances = 0;
    {
        Scene scene;
        scene.assembleObjects();
        scene.camera = Camera(glm::vec3(0.0f, 5.0f, 12.0f), 16.0f / 9.0f);
        Skybox sky;
        scene.skybox = &sky;

        // One orb cycle (about 28 s) and one meteor turn (15 s and a landing) fill every list to its size.
        runFrames(scene, 60 * 60);
        const std::size_t before = allocations;
        best = runFrames(scene, frames);
        steadyAllocations = allocations - before;
        for (int repeat = 0; repeat < 4; ++repeat)
            best = std::min(best, runFrames(scene, frames));
        instances = instanceCount(scene);
        scene.skybox = nullptr; // the record is this function's
    }
    unloadModels();
    std::printf("updateScene: %.0f ns per frame (best mean of 5 runs of %d frames at 60 Hz)\n", best, frames);
    std::printf("objects' instances in the last frame: %zu\n", instances);
    if (!CountsAllocations) {
        std::printf("heap allocations: not counted under AddressSanitizer\n");
        return 0;
    }
    std::printf("heap allocations over %d steady-state frames: %zu\n", frames, steadyAllocations);
    return steadyAllocations == 0 ? 0 : 1;
}
