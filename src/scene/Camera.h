#pragma once

#include <glm/glm.hpp>

// A view and a projection with the state they are made from. The main camera looks from `position`
// at `target`; a light's shadow camera is bare and only its projection is read.
struct Camera {
    float aspect = 0.0f;
    float nearPlane = 0.0f;
    float farPlane = 0.0f;
    float fieldOfView = 0.0f; // handed to glm::perspective as it is, which takes radians
    glm::vec3 target{0.0f};
    glm::vec3 position{0.0f};
    glm::vec3 up{0.0f};
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};

    Camera() = default; // bare: zero vectors, identity matrices
    Camera(const glm::vec3& startPosition, float aspectRatio);

    void refreshView();
    // Replaces `view` by the view mirrored at the horizontal plane y = height; nothing else changes.
    void mirrorView(float height);
};
