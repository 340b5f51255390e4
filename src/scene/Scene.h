#pragma once

#include "render/WaterSurface.h"
#include "scene/Camera.h"
#include "scene/ParticleEmitter.h"
#include "scene/PointLight.h"
#include "scene/SceneObject.h"

#include <cstdint>
#include <memory>
#include <vector>

class Renderer;
struct LoadJob;
struct Skybox;
struct WaterTargets;

// Every file that building the whole world decodes or imports, in the order it takes them: the listed
// textures and models, the particle plane and the sky's faces. Reads the list files quietly.
std::vector<LoadJob> sceneLoadJobs();

// The world of the demo: it builds the renderer, fills the resource tables, assembles the fixed
// objects and releases all of it, in a fixed order, while the OpenGL context is current.
class Scene {
  public:
    // An empty world that loads and creates nothing, for assembling by hand (tests, benchmarks).
    // Whatever is put into it is owned as the fields below say and released with it.
    Scene();
    // The whole world for a window of width x height pixels. Needs a current OpenGL context.
    Scene(int32_t width, int32_t height);
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // The objects of the world, from the models in the mesh table: the particle emitter, the orb and the
    // meteor, drawList and the water surface. A model missing from the table is reported once and its
    // object left out (a null drawList entry, no water surface, no emitter) or, for the two effect
    // objects, made without it. Calls no OpenGL, so a world can be assembled from meshes that have no GPU
    // buffers.
    void assembleObjects();

    std::unique_ptr<Renderer> renderer;
    Camera camera;                      // the main camera
    PointLight* currentLight = nullptr; // the active effect object's light, set by every update
    // Index 0 the orb, index 1 the meteor; AppState::effectPhase picks the active one.
    std::vector<std::unique_ptr<SceneObject>> effects;
    // What every pass draws. Entry 0 borrows the active effect object (set by every update); entries 1 to
    // 6 are owned, null where the model is missing. Passes skip null entries.
    std::vector<SceneObject*> drawList;
    std::vector<WaterSurface> waterSurfaces;
    Skybox* skybox = nullptr;             // owned; from createSkybox
    WaterTargets* waterTargets = nullptr; // owned; from createWaterTargets
    // Shared by the orb and the meteor and released after them; null without the particle plane.
    std::unique_ptr<ParticleEmitter> emitter;

  private:
    void assembleScene();
    void release();

    bool ownsCatalogue = false; // set once this scene has filled the process-wide resource tables
};
