#pragma once

#include <cstdint>
#include <string>

struct Camera;
struct PointLight;
struct ShaderProgram;
struct WaterSurface;
struct WaterTargets;

// The blended water surface, sampling the reflection and refraction images.
class WaterPass {
  public:
    WaterPass(); // builds "Water"
    ~WaterPass();
    WaterPass(const WaterPass&) = delete;
    WaterPass& operator=(const WaterPass&) = delete;

    void draw(const Camera& camera, const PointLight& light, WaterSurface& surface,
              const WaterTargets& targets);

    ShaderProgram* program = nullptr;
    std::string buildFailure; // the first line of why the last build failed; empty after a good one
    int32_t viewLocation = -1;
    int32_t projectionLocation = -1;
    int32_t reflectionLocation = -1;
    int32_t refractionLocation = -1;
    int32_t dudvMapLocation = -1;
    int32_t offsetLocation = -1;
    int32_t cameraPosLocation = -1;
    int32_t normalMapLocation = -1;
    int32_t depthMapLocation = -1;
    int32_t lightPositionLocation = -1;
    int32_t lightColLocation = -1;
};
