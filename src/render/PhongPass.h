#pragma once

#include <cstdint>
#include <glm/glm.hpp>
#include <string>

struct Camera;
struct PointLight;
struct ShaderProgram;
class SceneObject;

// Solid objects lit by the point light: clipped for the water images, shadowed for the final image.
class PhongPass {
  public:
    PhongPass(); // builds "Phong"; a failed build leaves program null and the pass draws nothing
    ~PhongPass();
    PhongPass(const PhongPass&) = delete;
    PhongPass& operator=(const PhongPass&) = delete;

    void drawClipped(const Camera& camera, const PointLight& light, SceneObject& object,
                     const glm::vec4& plane);
    void drawShadowed(const Camera& camera, const PointLight& light, SceneObject& object,
                      uint32_t shadowCubeTexture);

    ShaderProgram* program = nullptr;
    std::string buildFailure; // the first line of why the last build failed; empty after a good one
    int32_t lightPositionLocation = -1;
    int32_t lightColorLocation = -1;
    int32_t lightConstantLocation = -1;
    int32_t lightLinearLocation = -1;
    int32_t lightQuadraticLocation = -1;
    int32_t diffuseLocation = -1;
    int32_t shadowLocation = -1;
    int32_t viewLocation = -1;
    int32_t projectionLocation = -1;
    int32_t planeLocation = -1;
    int32_t camPosLocation = -1;

  private:
    // "view", "projection", "light.position", "light.color", "camPos" and the three attenuation terms.
    void setCameraAndLight(const Camera& camera, const PointLight& light) const;
};
