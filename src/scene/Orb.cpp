#include "scene/Orb.h"

#include "app/AppState.h"
#include "assets/Mesh.h"
#include "scene/ParticleEmitter.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

// Below this height the orb has reached the ground and hands the light to the meteor.
constexpr float HandOverHeight = 0.3f;
constexpr float GlowParticleSize = 0.125f;
constexpr float ShadowFar = 25.0f;

} // namespace

Orb::Orb(Mesh* mesh, ParticleEmitter* emitter) : SceneObject(mesh) {
    this->emitter = emitter;
    // Without its model the orb still runs its stages and carries the light, so the hand-over works.
    const glm::vec3 center = mesh ? mesh->center : glm::vec3(0.0f);
    homePosition = glm::vec3(firstInstanceTransform() * glm::vec4(center, 1.0f));
    fallVector = glm::vec3(0.0f, 0.2f, 0.0f) - homePosition;
    phaseTime = 0.0f;
    currentScale = initialScale;
    position = homePosition;
    worldPosition = homePosition;
    glow = glm::vec3(0.0f);
    // The light starts at the untransformed centre; the first update moves it to the orb.
    light = std::make_unique<PointLight>(center, glow, 1.0f, 0.0f, 0.0f);
    light->shadowCamera.projection = shadowProjection(ShadowFar);
    instances.reserve(1);
}

void Orb::update(float dt) {
    advanceSpin(dt); // also while inactive, to stay in step with the world
    if (appState().effectPhase == 1)
        return;
    instances.clear();
    model = spinRotation();
    const glm::mat4 first = firstInstanceTransform();
    phaseTime += dt;
    instances.push_back(advanceStage(dt, first));
    light->position = worldPosition;
    light->color = glow;
    if (position.y <= HandOverHeight) {
        reset();
        appState().effectPhase = 1;
    }
}

glm::mat4 Orb::advanceStage(float dt, const glm::mat4& first) {
    const float t = phaseTime;
    if (t >= glowEnd)
        return sink(dt);
    // Rest, grow, rest and glow all keep the orb at home.
    worldPosition = glm::vec3(model * glm::vec4(position, 1.0f));
    if (t >= growStart && t < growEnd)
        currentScale += growthRate * dt;
    if (t >= glowStart) {
        glow += glowRate * dt;
        emitParticles(dt, GlowParticleSize);
    }
    return model * glm::scale(first, glm::vec3(currentScale));
}

glm::mat4 Orb::sink(float dt) {
    position += fallVector * (appState().speedFactor * dt);
    worldPosition = glm::vec3(model * glm::vec4(position, 1.0f));
    // Particles shrink with the orb while it sinks.
    emitParticles(dt, currentScale);
    return glm::scale(glm::translate(model, position), glm::vec3(currentScale));
}

void Orb::emitParticles(float dt, float size) {
    if (!emitter)
        return;
    emitter->spawnAccumulator += static_cast<float>(emitter->spawnRate) * dt;
    if (emitter->spawnAccumulator > 1.0f)
        emitter->spawn(worldPosition);
    emitter->advance(dt, size);
}

bool Orb::hasParticles() const {
    return emitter != nullptr;
}

void Orb::reset() {
    currentScale = initialScale;
    position = homePosition;
    worldPosition = homePosition;
    phaseTime = 0.0f;
    if (emitter)
        emitter->clear();
    glow = glm::vec3(0.0f);
}

glm::mat4 Orb::firstInstanceTransform() const {
    if (!mesh || mesh->instanceTransforms.empty())
        return glm::mat4(1.0f);
    return mesh->instanceTransforms.front();
}
