#include "scene/PointLight.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

PointLight::PointLight(const glm::vec3& position, const glm::vec3& color, float constant, float linear,
                       float quadratic)
    : position(position), constant(constant), linear(linear), quadratic(quadratic), color(color) {}

glm::mat4 shadowProjection(float farPlane) {
    // Each cube face covers a quarter turn, so the six faces meet without gaps.
    return glm::perspective(glm::half_pi<float>(), 1.0f, 0.01f, farPlane);
}
