#pragma once

#include "scene/PointLight.h"
#include "scene/Transform.h"

#include <cstdint>
#include <glm/glm.hpp>
#include <memory>
#include <vector>

struct Mesh;
class ParticleEmitter;

// Radians per second; the whole world and the sky box turn at this rate.
inline constexpr float SpinRate = 0.2f;

// A mesh drawn with instancing under a model matrix that turns slowly about the vertical axis.
class SceneObject {
  public:
    explicit SceneObject(Mesh* mesh);
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    // Streams `instances` into the mesh's instance buffer and draws them; a program must be in use.
    // Draws at most the matrices `instances` holds, and nothing without a mesh.
    virtual void draw(int32_t diffuseLocation);
    virtual void update(float dt);
    virtual bool hasParticles() const;
    virtual ~SceneObject();

    Mesh* mesh = nullptr;               // borrowed from the mesh table
    ParticleEmitter* emitter = nullptr; // borrowed; only the effect objects hold one
    std::unique_ptr<PointLight> light;  // only the effect objects carry a light
    glm::mat4 model{1.0f};
    std::vector<glm::mat4> instances; // this frame's instance matrices
    float spinAngle = 0.0f;           // radians, within one turn

  protected:
    void advanceSpin(float dt) { spinAngle = turnedBy(spinAngle, dt * SpinRate); }
    // The rotation by spinAngle about the vertical axis through the origin.
    glm::mat4 spinRotation() const;
};
