#pragma once

// The engine's geometry conventions, all carried by GLM: 4 x 4 float matrices stored column by column
// (m[c][r] is column c, row r; the translation is column 3), column vectors (A * B applies B first),
// right-handed coordinates with y up, OpenGL clip depth from -1 to +1, and every angle in radians.
// Matrices go to OpenGL as their 16 floats with transpose false.

#include <cmath>
#include <glm/glm.hpp>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

// pi / 180 as the float the engine converts degrees with; written out so every conversion rounds alike.
inline constexpr float DegreesToRadians = 0.017453292f;

// M * (p, 1), first three components: where a point ends up.
inline glm::vec3 transformPoint(const glm::mat4& m, const glm::vec3& p) {
    return glm::vec3(m * glm::vec4(p, 1.0f));
}

// M * (d, 0), first three components: a direction is turned and scaled but not moved.
inline glm::vec3 transformDirection(const glm::mat4& m, const glm::vec3& d) {
    return glm::vec3(m * glm::vec4(d, 0.0f));
}

// `angle` turned on by `step` radians, kept within one turn (from 0 up to a turn for steps of 0 or more).
// An angle that only grew would, after some days of frames, be too large for a frame's step to change.
inline float turnedBy(float angle, float step) {
    return std::fmod(angle + step, glm::two_pi<float>());
}
