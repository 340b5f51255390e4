#pragma once

#include "scene/Camera.h"

#include <glm/glm.hpp>

// The scene's single light, carried by whichever effect object is active.
struct PointLight {
    glm::vec3 position{0.0f}; // "light.position"
    float constant = 1.0f;    // "light.constant"
    float linear = 0.0f;      // "light.linear"
    float quadratic = 0.0f;   // "light.quadratic"
    glm::vec3 color{0.0f};    // "light.color"
    Camera shadowCamera;      // bare; its projection is the shadow projection of this light

    PointLight(const glm::vec3& position, const glm::vec3& color, float constant, float linear,
               float quadratic);
};

// The projection shared by the six faces of a point light's shadow cube: 90 degrees, square, near 0.01.
glm::mat4 shadowProjection(float farPlane);
