#pragma once

#include <array>
#include <cstdint>
#include <glm/glm.hpp>
#include <string>
#include <vector>

struct PointLight;
struct ShaderProgram;
class SceneObject;

// Depth of one object into all six faces of the bound cube framebuffer in one draw: the geometry
// stage sends every triangle to each face.
class ShadowPass {
  public:
    ShadowPass(); // builds "Shadow" with its geometry stage
    ~ShadowPass();
    ShadowPass(const ShadowPass&) = delete;
    ShadowPass& operator=(const ShadowPass&) = delete;

    void draw(const PointLight& light, SceneObject& object);

    ShaderProgram* program = nullptr;
    std::string buildFailure; // the first line of why the last build failed; empty after a good one
    std::vector<int32_t> faceMatrixLocations; // "shadowMatrices[0]" .. "shadowMatrices[5]"
    int32_t lightPosLocation = -1;
    glm::mat4 lightProjection{1.0f};
};

// The six projection x view matrices of the cube faces around a light, in face order (+X, -X, +Y, -Y, +Z,
// -Z).
std::array<glm::mat4, 6> shadowFaceMatrices(const glm::mat4& projection, const glm::vec3& lightPosition);
