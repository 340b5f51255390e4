#include "scene/Meteor.h"

#include "app/AppState.h"
#include "assets/Mesh.h"
#include "scene/Random.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

constexpr float RandomRange = static_cast<float>(RandomMax);
// After this many active seconds the meteor hands the light back at its next landing.
constexpr float ActiveSeconds = 15.0f;
constexpr float ShadowFar = 50.0f;

// A random number spread over [low, high].
float randomBetween(float low, float high) {
    return static_cast<float>(nextRandom()) / (RandomRange / (high - low)) + low;
}

} // namespace

Meteor::Meteor(Mesh* mesh, ParticleEmitter* emitter) : SceneObject(mesh) {
    // Holds the shared emitter only to look like the orb; it never uses it.
    this->emitter = emitter;
    const glm::vec3 center = mesh ? mesh->center : glm::vec3(0.0f);
    light = std::make_unique<PointLight>(center, glm::vec3(1.0f), 1.0f, 0.0f, 0.0f);
    light->shadowCamera.projection = shadowProjection(ShadowFar);
    instances.reserve(1);
    respawn();
}

void Meteor::respawn() {
    position = startPosition;
    const float size = randomBetween(minScale, maxScale);
    currentScale = glm::vec3(size);
    // One statement per draw: the four random numbers are taken in this order.
    glm::vec3 landing;
    landing.x = randomBetween(targetMinX, targetMaxX);
    landing.y = static_cast<float>(nextRandom()) / RandomRange + 0.0f;
    landing.z = randomBetween(targetMinZ, targetMaxZ);
    direction = landing - position;
}

void Meteor::update(float dt) {
    advanceSpin(dt); // also while inactive, to stay in step with the world
    if (appState().effectPhase == 0)
        return;
    instances.clear();
    model = spinRotation();
    glm::mat4 instance = glm::translate(model, position); // where the meteor was before this step
    activeTime += dt;
    if (position.y > currentScale.y) {
        position += direction * (appState().speedFactor * dt);
        instance = glm::scale(instance, currentScale);
    } else {
        // Landed: the frame shows the meteor unscaled at the landing point, the light already at the start.
        respawn();
        if (activeTime > ActiveSeconds) {
            appState().effectPhase = 0;
            activeTime = 0.0f;
        }
    }
    light->position = glm::vec3(model * glm::vec4(position, 1.0f));
    instances.push_back(instance);
}
