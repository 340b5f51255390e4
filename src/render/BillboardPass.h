#pragma once

#include <cstdint>
#include <string>

struct Camera;
struct ShaderProgram;
class ParticleEmitter;

// An emitter's particles as camera-facing textured quads, all in one instanced draw.
class BillboardPass {
  public:
    BillboardPass(); // builds "Billboard"
    ~BillboardPass();
    BillboardPass(const BillboardPass&) = delete;
    BillboardPass& operator=(const BillboardPass&) = delete;

    void draw(const Camera& camera, const ParticleEmitter& emitter);

    ShaderProgram* program = nullptr;
    std::string buildFailure; // the first line of why the last build failed; empty after a good one
    int32_t viewLocation = -1;
    int32_t projectionLocation = -1;
    int32_t diffuseLocation = -1;
};
