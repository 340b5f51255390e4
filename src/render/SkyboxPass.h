#pragma once

#include <cstdint>
#include <glm/glm.hpp>

struct Camera;
struct ShaderProgram;
struct Skybox;

// The starfield behind everything: drawn last, at the far depth, with the camera's translation removed.
class SkyboxPass {
  public:
    SkyboxPass(); // builds "Skybox"
    ~SkyboxPass();
    SkyboxPass(const SkyboxPass&) = delete;
    SkyboxPass& operator=(const SkyboxPass&) = delete;

    void draw(const Camera& camera, const Skybox& skybox);

    ShaderProgram* program = nullptr;
    int32_t modelLocation = -1;
    int32_t viewLocation = -1;
    int32_t projectionLocation = -1;
    int32_t skyboxLocation = -1;
};

// The camera's rotation alone: the upper-left 3 x 3 of `view` with zero translation.
glm::mat4 translationFreeView(const glm::mat4& view);
