#pragma once

#include <cstdint>
#include <glm/glm.hpp>
#include <vector>

struct Mesh;
struct WaterTargets;

// The height of the water plane: the float32 with bits 0xBF2A6373.
inline constexpr float WaterHeight = -0.66558f;

// The water mesh with its scrolling ripple. The ripple advances on the engine clock once per draw.
struct WaterSurface {
    Mesh* mesh = nullptr;             // "water.dae", borrowed from the mesh table
    std::vector<glm::mat4> instances; // refilled every frame from the mesh's instance transforms
    float rippleSpeed = 0.02f;        // offset units per second
    float rippleOffset = 0.0f;        // kept in [0, 1)
    float lastTime = 0.0f;
    float currentTime = 0.0f;
    float deltaTime = 0.0f;
    uint32_t dudvTexture = 0;   // "dudv.png", borrowed from the texture table
    uint32_t normalTexture = 0; // "normalmap.png", borrowed from the texture table

    explicit WaterSurface(Mesh* waterMesh); // looks both textures up by name

    // Refills `instances` with the mesh's own transforms; the water does not turn with the world.
    void update();
    // Advances the ripple to time `now` (seconds on the engine clock).
    void advanceRipple(float now);
    // Advances the ripple on the engine clock, then streams `instances` and draws them with the five
    // images on units 0 to 4. A program must be in use. Leaves unit 0 active with no 2D texture bound.
    void draw(const WaterTargets& targets, int32_t reflectionLocation, int32_t refractionLocation,
              int32_t dudvLocation, int32_t normalLocation, int32_t depthLocation, int32_t offsetLocation);
};

// The ripple offset `deltaTime` seconds later: the sum in single precision, the remainder after 1 in
// double precision, the result always in [0, 1).
float nextRippleOffset(float offset, float speed, float deltaTime);
