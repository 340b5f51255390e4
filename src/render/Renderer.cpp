#include "render/Renderer.h"

#include "app/AppState.h"
#include "app/Automation.h"
#include "assets/DebugNames.h"
#include "assets/Mesh.h"
#include "render/Skybox.h"
#include "render/WaterSurface.h"
#include "render/WaterTargets.h"
#include "scene/Camera.h"
#include "scene/ParticleEmitter.h"
#include "scene/SceneObject.h"

#include <GL/glew.h>

namespace {

// The reflection keeps what lies above the water, the refraction what lies below it: a world position
// (w = 1) is kept where its dot product with the plane is positive.
const glm::vec4 ReflectionClipPlane{0.0f, 1.0f, 0.0f, -WaterHeight};
const glm::vec4 RefractionClipPlane{0.0f, -1.0f, 0.0f, WaterHeight};

const std::vector<StageTime> NoStageTimes;

// Each pass is built, at start-up and by its key, inside a debug group named after it, so that the
// compiler's messages say which pass they are about.
template <typename Pass> constexpr const char* PassName = nullptr;
template <> constexpr const char* PassName<PhongPass> = "Phong pass";
template <> constexpr const char* PassName<BillboardPass> = "billboard pass";
template <> constexpr const char* PassName<WaterPass> = "water pass";
template <> constexpr const char* PassName<SkyboxPass> = "sky box pass";
template <> constexpr const char* PassName<ShadowPass> = "shadow pass";
template <> constexpr const char* PassName<DebugPass> = "debug pass";

template <typename Pass> std::unique_ptr<Pass> buildPass() {
    const DebugGroup group(PassName<Pass>);
    return std::make_unique<Pass>();
}

// Releases the old pass (and with it its program) before the new one reads its files, so the two never
// share an object name.
template <typename Pass> void rebuild(std::unique_ptr<Pass>& pass) {
    pass.reset();
    pass = buildPass<Pass>();
}

void viewport(uint32_t width, uint32_t height) {
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
}

// An object's debug group is named after its model file; one whose model failed to load draws nothing.
const char* modelName(const Mesh* mesh) {
    return mesh ? mesh->name.c_str() : "no model";
}

} // namespace

Renderer::Renderer(int32_t width, int32_t height) : width(width), height(height) {
    phongPass = buildPass<PhongPass>();
    billboardPass = buildPass<BillboardPass>();
    waterPass = buildPass<WaterPass>();
    skyboxPass = buildPass<SkyboxPass>();
    shadowPass = buildPass<ShadowPass>();
    shadowCubeMap = createShadowCubeMap();
    debugPass = buildPass<DebugPass>();
    if (automation().stats || !automation().statsPath.empty())
        enableStageTimer();
}

Renderer::~Renderer() {
    phongPass.reset();
    billboardPass.reset();
    waterPass.reset();
    skyboxPass.reset();
    shadowPass.reset();
    debugPass.reset();
    destroyShadowCubeMap(shadowCubeMap);
    shadowCubeMap = nullptr;
    stageTimer.reset();
}

void Renderer::enableStageTimer() {
    if (!stageTimer)
        stageTimer = std::make_unique<StageTimer>(
            std::vector<const char*>{"gpu shadow", "gpu water", "gpu main", "gpu skybox"});
}

void Renderer::disableStageTimer() {
    stageTimer.reset();
}

const std::vector<StageTime>& Renderer::stageTimes() const {
    return stageTimer ? stageTimer->collected() : NoStageTimes;
}

const std::vector<StageTime>& Renderer::finishStageTimes() {
    if (!stageTimer)
        return NoStageTimes;
    stageTimer->collectOutstanding();
    return stageTimer->collected();
}

size_t Renderer::droppedStageFrames() const {
    return stageTimer ? stageTimer->droppedFrames() : 0;
}

template <typename Draw> void Renderer::timed(Stage stage, Draw&& draw) {
    if (stageTimer)
        stageTimer->beginStage(stage);
    draw();
    if (stageTimer)
        stageTimer->endStage();
}

void Renderer::render(Camera& camera, const PointLight& light, const std::vector<SceneObject*>& drawList,
                      std::vector<WaterSurface>& waterSurfaces, const Skybox& skybox,
                      const WaterTargets& waterTargets) {
    if (appState().reloadRequested)
        rebuildRequestedPass();
    if (stageTimer)
        stageTimer->beginFrame();
    // The window is not cleared here, nor between the water images: the main stage clears it before it
    // draws, so those clears never reached the screen, and on a software rasteriser every clear of the
    // multisampled window is a pass over all its samples.
    timed(ShadowStage, [&] { renderShadowStage(light, drawList); });
    timed(WaterStage, [&] { renderWaterStage(camera, light, drawList, waterTargets); });
    timed(MainStage, [&] { renderMainStage(camera, light, drawList, waterSurfaces, waterTargets); });
    timed(SkyboxStage, [&] { renderSkyboxStage(camera, skybox); });
}

void Renderer::rebuildRequestedPass() {
    AppState& state = appState();
    switch (state.reloadPass) {
    case 1:
        rebuild(phongPass);
        break;
    case 2:
        rebuild(billboardPass);
        break;
    case 3:
        rebuild(waterPass);
        break;
    case 4:
        rebuild(shadowPass); // the cube map and its target stay
        break;
    case 5:
        rebuild(debugPass);
        break;
    default: // F6 to F8 have no pass
        break;
    }
    state.reloadRequested = false;
}

void Renderer::renderShadowStage(const PointLight& light, const std::vector<SceneObject*>& drawList) {
    // A black light lights nothing, and the Phong shader weighs the shadow by the light's colour, so no
    // pixel depends on where a black light's shadows fall: the cube keeps what it last held. The orb is
    // black for the first twenty seconds of its cycle.
    if (light.color == glm::vec3(0.0f))
        return;
    const DebugGroup stage("shadow");
    glBindTexture(GL_TEXTURE_2D, 0);
    glViewport(0, 0, shadowCubeMap->width, shadowCubeMap->height);
    glCullFace(GL_FRONT);
    glBindFramebuffer(GL_FRAMEBUFFER, shadowCubeMap->framebuffer);
    glClear(GL_DEPTH_BUFFER_BIT);
    // Entry 0 carries the light: drawn into its own cube map it would shadow everything around it.
    for (size_t index = 1; index < drawList.size(); ++index) {
        if (!drawList[index])
            continue;
        const DebugGroup object(modelName(drawList[index]->mesh));
        shadowPass->draw(light, *drawList[index]);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glCullFace(GL_BACK);
}

void Renderer::renderWaterStage(Camera& camera, const PointLight& light,
                                const std::vector<SceneObject*>& drawList, const WaterTargets& waterTargets) {
    glViewport(0, 0, width, height);
    glEnable(GL_CLIP_DISTANCE0);

    // Reflection: the scene above the water, seen by the camera mirrored at the water plane. The view is
    // saved and written back rather than mirrored twice, so it returns bit for bit.
    {
        const DebugGroup image("water reflection");
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, waterTargets.reflectionFramebuffer);
        viewport(waterTargets.reflectionWidth, waterTargets.reflectionHeight);
        const glm::mat4 savedView = camera.view;
        camera.mirrorView(WaterHeight);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        for (SceneObject* object : drawList) {
            if (!object)
                continue;
            const DebugGroup model(modelName(object->mesh));
            phongPass->drawClipped(camera, light, *object, ReflectionClipPlane);
            if (object->hasParticles() && object->emitter)
                billboardPass->draw(camera, *object->emitter);
        }
        camera.view = savedView;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        viewport(waterTargets.screenWidth, waterTargets.screenHeight);
    }

    // Refraction: the scene below the water from the real camera; particles stay out of it.
    {
        const DebugGroup image("water refraction");
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, waterTargets.refractionFramebuffer);
        viewport(waterTargets.refractionWidth, waterTargets.refractionHeight);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        for (SceneObject* object : drawList) {
            if (!object)
                continue;
            const DebugGroup model(modelName(object->mesh));
            phongPass->drawClipped(camera, light, *object, RefractionClipPlane);
        }
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        viewport(waterTargets.screenWidth, waterTargets.screenHeight);
    }
    glDisable(GL_CLIP_DISTANCE0);
}

void Renderer::renderMainStage(const Camera& camera, const PointLight& light,
                               const std::vector<SceneObject*>& drawList,
                               std::vector<WaterSurface>& waterSurfaces, const WaterTargets& waterTargets) {
    const DebugGroup stage("main");
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Each object's particles right after the object, unblended.
    for (SceneObject* object : drawList) {
        if (!object)
            continue;
        const DebugGroup model(modelName(object->mesh));
        phongPass->drawShadowed(camera, light, *object, shadowCubeMap->cubeTexture);
        if (object->hasParticles() && object->emitter)
            billboardPass->draw(camera, *object->emitter);
    }
    const DebugGroup water("water");
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (WaterSurface& surface : waterSurfaces) {
        const DebugGroup model(modelName(surface.mesh));
        waterPass->draw(camera, light, surface, waterTargets);
    }
    glDisable(GL_BLEND);
}

// Last, with depth test LEQUAL: the sky sits at the far depth and shows only where nothing was drawn.
void Renderer::renderSkyboxStage(const Camera& camera, const Skybox& skybox) {
    const DebugGroup stage("sky box");
    glDepthFunc(GL_LEQUAL);
    skyboxPass->draw(camera, skybox);
    glDepthFunc(GL_LESS);
}
