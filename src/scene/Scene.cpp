#include "scene/Scene.h"

#include "assets/ResourceCatalogue.h"
#include "assets/ResourceList.h"
#include "assets/StartupLoader.h"
#include "render/Renderer.h"
#include "render/Skybox.h"
#include "render/WaterTargets.h"
#include "scene/Meteor.h"
#include "scene/Orb.h"

#include <iostream>
#include <iterator>

namespace {

constexpr int32_t MaxParticles = 100;
constexpr int32_t SpawnRate = 20; // particles per second
constexpr float ParticleLife = 1.0f;
constexpr uint32_t WaterImageWidth = 640;
constexpr uint32_t WaterImageHeight = 480;
constexpr const char* TextureList = "Textures";
constexpr const char* TextureDirectory = "../Resources/Textures/";
constexpr const char* MeshList = "Meshes";
constexpr const char* MeshDirectory = "../Resources/Meshes/";

// The static models, in drawList order from entry 1.
constexpr const char* PlainModels[] = {"map.dae",    "house.obj",   "bridge.dae",
                                       "monkey.dae", "monkey2.dae", "monkey3.dae"};

// The catalogue has already reported a file that failed to load, but not one the list never named; say
// once which model the scene goes without.
Mesh* sceneMesh(const char* name) {
    Mesh* mesh = findMesh(name);
    if (!mesh && !meshFailedToLoad(name))
        std::cout << "ERROR: MISSING MESH " << name << std::endl;
    return mesh;
}

} // namespace

std::vector<LoadJob> sceneLoadJobs() {
    std::vector<LoadJob> jobs;
    for (const std::string& name : quietResourceList(TextureList, TextureDirectory))
        jobs.push_back({LoadKind::Texture, TextureDirectory + name});
    for (const std::string& name : quietResourceList(MeshList, MeshDirectory))
        jobs.push_back({LoadKind::Model, MeshDirectory + name});
    jobs.push_back({LoadKind::Model, MeshDirectory + std::string(ParticleMeshName)});
    for (std::string& face : skyboxFacePaths())
        jobs.push_back({LoadKind::CubeFace, std::move(face)});
    return jobs;
}

Scene::Scene() = default;

Scene::Scene(int32_t width, int32_t height) {
    renderer = std::make_unique<Renderer>(width, height);
    // The tables must be full before the objects take their geometry from them.
    ownsCatalogue = true;
    loadTextureCatalogue(TextureList, TextureDirectory);
    loadMeshCatalogue(MeshList, MeshDirectory);
    assembleScene();
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    camera = Camera(glm::vec3(0.0f, 5.0f, 12.0f), aspect);
    waterTargets = createWaterTargets(WaterImageWidth, WaterImageHeight, WaterImageWidth, WaterImageHeight,
                                      static_cast<uint32_t>(width), static_cast<uint32_t>(height));
}

Scene::~Scene() {
    release();
}

void Scene::assembleScene() {
    assembleObjects();
    skybox = createSkybox();
}

void Scene::assembleObjects() {
    // Without the particle plane the orb simply throws no particles.
    if (Mesh* plane = sceneMesh(ParticleMeshName))
        emitter = std::make_unique<ParticleEmitter>(plane, MaxParticles, SpawnRate, ParticleLife);
    // The effect objects exist even without their models: they carry the light and take turns.
    effects.reserve(2);
    effects.push_back(std::make_unique<Orb>(sceneMesh("lava.dae"), emitter.get()));
    effects.push_back(std::make_unique<Meteor>(sceneMesh("meteor.dae"), emitter.get()));

    drawList.reserve(1 + std::size(PlainModels));
    drawList.push_back(nullptr); // the active effect object's slot
    for (const char* name : PlainModels) {
        Mesh* mesh = sceneMesh(name);
        drawList.push_back(mesh ? new SceneObject(mesh) : nullptr);
    }

    if (Mesh* water = sceneMesh("water.dae")) {
        waterSurfaces.reserve(1);
        waterSurfaces.emplace_back(water);
    }
}

void Scene::release() {
    if (ownsCatalogue) {
        releaseTextures();
        releaseMeshes(); // from here on no object may touch its mesh
        ownsCatalogue = false;
    }
    // Entry 0 only borrows an effect object, which effects releases.
    for (std::size_t i = 1; i < drawList.size(); ++i) {
        delete drawList[i];
        drawList[i] = nullptr;
    }
    if (!drawList.empty())
        drawList[0] = nullptr;
    currentLight = nullptr;
    effects.clear(); // each takes its light and the light's shadow camera with it
    emitter.reset();
    renderer.reset();
    camera = Camera();
    if (waterTargets)
        destroyWaterTargets(waterTargets);
    waterTargets = nullptr;
    waterSurfaces.clear();
    if (skybox)
        destroySkybox(skybox);
    skybox = nullptr;
    drawList.clear();
}
