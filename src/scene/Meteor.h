#pragma once

#include "scene/SceneObject.h"

// Falls again and again from startPosition to random landing points with a white light on it; after
// 15 seconds of activity it hands the turn back to the orb at its next landing.
class Meteor : public SceneObject {
  public:
    Meteor(Mesh* mesh, ParticleEmitter* emitter);

    void update(float dt) override;
    void respawn();

    float minScale = 0.1f;
    float maxScale = 1.0f;
    float targetMinX = 3.0f;
    float targetMinZ = -5.0f;
    float targetMaxX = 8.0f;
    float targetMaxZ = 7.0f;
    glm::vec3 startPosition{-6.0f, 12.0f, 0.0f};
    float activeTime = 0.0f; // seconds while active
    glm::vec3 currentScale{0.0f};
    glm::vec3 position{0.0f};  // before the spin rotation
    glm::vec3 direction{0.0f}; // landing point - start point, not normalised
};
