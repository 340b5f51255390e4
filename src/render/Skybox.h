#pragma once

#include <cstdint>
#include <glm/glm.hpp>
#include <string>
#include <vector>

// The starfield cube around the camera, turning at the same rate as the world.
struct Skybox {
    uint32_t vertexArray = 0;
    uint32_t vertexBuffer = 0; // 36 vertices, 3 floats each
    glm::mat4 model{1.0f};
    uint32_t cubeTexture = 0;
    std::vector<const char*> faceFiles; // +X, -X, +Y, -Y, +Z, -Z, each beginning with a slash
    float rotationAngle = 0.0f;         // radians, within one turn

    void updateRotation(float dt);
    void draw(int32_t skyboxLocation) const;
};

// Builds the cube geometry and loads the six starfield faces.
Skybox* createSkybox();
// The paths of the six faces in the order createSkybox loads them.
std::vector<std::string> skyboxFacePaths();
void destroySkybox(Skybox* skybox);
