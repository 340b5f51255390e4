#include "scene/SceneUpdate.h"

#include "app/AppState.h"
#include "render/Skybox.h"
#include "scene/Scene.h"

#include <cassert>

void updateScene(Scene& scene, float& dt) {
    AppState& state = appState();
    assert(scene.effects.size() == 2 && !scene.drawList.empty());

    if (!state.cameraLocked)
        scene.camera.refreshView();

    // Decided once per frame: a hand-over during this update takes effect from the next frame on.
    SceneObject* active = scene.effects[static_cast<std::size_t>(state.effectPhase)].get();
    scene.drawList[0] = active;
    scene.currentLight = active->light.get();

    for (SceneObject* object : scene.drawList)
        if (object)
            object->update(dt);

    for (WaterSurface& surface : scene.waterSurfaces)
        surface.update();

    // Read anew: on the frame of a hand-over this spins the object that has just handed over a second
    // time, and the newly active one waits for the next frame.
    scene.effects[static_cast<std::size_t>(1 - state.effectPhase)]->update(dt);

    if (scene.skybox)
        scene.skybox->updateRotation(dt);
}
