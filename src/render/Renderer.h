#pragma once

#include "render/BillboardPass.h"
#include "render/DebugPass.h"
#include "render/PhongPass.h"
#include "render/ShadowCubeMap.h"
#include "render/ShadowPass.h"
#include "render/SkyboxPass.h"
#include "render/StageTimer.h"
#include "render/WaterPass.h"

#include <cstdint>
#include <glm/glm.hpp>
#include <memory>
#include <vector>

struct Camera;
struct PointLight;
struct Skybox;
struct WaterSurface;
struct WaterTargets;
class SceneObject;

// Owns the passes and draws one frame: shadow stage, water stage, main stage, sky box.
class Renderer {
  public:
    Renderer(int32_t width, int32_t height);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Entry 0 of drawList carries the light; null entries are skipped. The camera's view is mirrored
    // for the reflection image and restored bit for bit before returning.
    void render(Camera& camera, const PointLight& light, const std::vector<SceneObject*>& drawList,
                std::vector<WaterSurface>& waterSurfaces, const Skybox& skybox,
                const WaterTargets& waterTargets);

    int32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<PhongPass> phongPass;
    std::unique_ptr<BillboardPass> billboardPass;
    std::unique_ptr<WaterPass> waterPass;
    std::unique_ptr<SkyboxPass> skyboxPass;
    std::unique_ptr<ShadowPass> shadowPass;
    ShadowCubeMap* shadowCubeMap = nullptr; // owned; created and destroyed with the renderer
    std::unique_ptr<DebugPass> debugPass;

    // GPU timings of the four stages, for DEMO_STATS and for the overlay while it is shown. Off unless
    // enabled: the construction enables it when the DEMO_STATS switch is set. Disabling deletes the
    // queries, so a frame without a timer issues none.
    void enableStageTimer();
    void disableStageTimer();
    // The stage times of one earlier frame that became available during the last render, or empty (also
    // while the timer is off). Each frame's times are handed out once.
    const std::vector<StageTime>& stageTimes() const;
    // At the end of a run: waits for the times of the frames still in flight and hands them out.
    const std::vector<StageTime>& finishStageTimes();
    // Frames whose times the GPU had not delivered when they were due, and that were left out.
    size_t droppedStageFrames() const;

  private:
    enum Stage : size_t { ShadowStage, WaterStage, MainStage, SkyboxStage };

    void rebuildRequestedPass();
    void renderShadowStage(const PointLight& light, const std::vector<SceneObject*>& drawList);
    void renderWaterStage(Camera& camera, const PointLight& light, const std::vector<SceneObject*>& drawList,
                          const WaterTargets& waterTargets);
    void renderMainStage(const Camera& camera, const PointLight& light,
                         const std::vector<SceneObject*>& drawList, std::vector<WaterSurface>& waterSurfaces,
                         const WaterTargets& waterTargets);
    void renderSkyboxStage(const Camera& camera, const Skybox& skybox);
    template <typename Draw> void timed(Stage stage, Draw&& draw);

    std::unique_ptr<StageTimer> stageTimer; // null unless enabled
};
