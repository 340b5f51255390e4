#pragma once

#include "scene/PointLight.h"

#include <cstdint>
#include <glm/glm.hpp>
#include <memory>
#include <vector>

struct Mesh;
class ParticleEmitter;

// A mesh drawn with instancing under a model matrix that turns slowly about the vertical axis.
class SceneObject {
  public:
    explicit SceneObject(Mesh* mesh);
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    // Streams `instances` into the mesh's instance buffer and draws them; a program must be in use.
    virtual void draw(int32_t diffuseLocation);
    virtual void update(float dt);
    virtual bool hasParticles() const;
    virtual ~SceneObject();

    Mesh* mesh = nullptr;                // borrowed from the mesh table
    ParticleEmitter* emitter = nullptr;  // borrowed; only the effect objects hold one
    std::unique_ptr<PointLight> light;   // only the effect objects carry a light
    glm::mat4 model{1.0f};
    std::vector<glm::mat4> instances;    // this frame's instance matrices
    float spinAngle = 0.0f;              // radians
};
