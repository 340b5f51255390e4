#pragma once

#include "scene/SceneObject.h"

// Rests, grows, rests, glows red while throwing out particles, sinks, then resets and hands the turn
// to the meteor.
class Orb : public SceneObject {
  public:
    Orb(Mesh* mesh, ParticleEmitter* emitter);

    void update(float dt) override;
    bool hasParticles() const override;
    void reset();

    float growStart = 10.0f; // seconds of phaseTime
    float growEnd = 15.0f;
    float glowStart = 20.0f;
    float glowEnd = 25.0f;
    float initialScale = 0.01f;
    float growthRate = 0.1028f; // scale per second
    glm::vec3 homePosition{0.0f};
    glm::vec3 fallVector{0.0f};                      // (0, 0.2, 0) - homePosition
    glm::vec3 glowRate{0.173825f, 0.0332f, 0.0332f}; // light colour per second
    float phaseTime = 0.0f;
    float currentScale = 0.0f;
    glm::vec3 position{0.0f};      // before the spin rotation
    glm::vec3 worldPosition{0.0f}; // after it; where the light is
    glm::vec3 glow{0.0f};          // current light colour

  private:
    // The first instance transform of the model; the identity when the model has none.
    glm::mat4 firstInstanceTransform() const;
    // Moves, grows or colours the orb as its stage asks and returns this frame's instance matrix.
    glm::mat4 advanceStage(float dt, const glm::mat4& first);
    glm::mat4 sink(float dt);
    void emitParticles(float dt, float size);
};
