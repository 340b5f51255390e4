#pragma once

#include <cstdint>
#include <glm/glm.hpp>
#include <vector>

struct Mesh;

struct Particle {
    glm::vec3 position{0.0f};
    float life = 0.0f;         // remaining seconds; below 0 the particle is dead
    glm::vec3 direction{0.0f}; // unit length; particles fly one unit per second
};

// The orb's sparks: born at one point, flying off in random directions, drawn as one instanced
// draw of the particle plane.
class ParticleEmitter {
  public:
    ParticleEmitter(Mesh* mesh, int32_t maxParticles, int32_t spawnRate, float particleLife);

    void spawn(const glm::vec3& point);
    void advance(float dt, float size);
    void clear();
    // Uploads `instances` and draws them; does nothing at all when there are none.
    void draw(int32_t diffuseLocation) const;

    Mesh* mesh = nullptr; // the particle plane, borrowed from the mesh table
    int32_t maxParticles = 0;
    int32_t spawnRate = 0; // particles per second
    float particleLife = 0.0f;
    int32_t liveCount = 0;
    float spawnAccumulator = 0.0f;    // spawn credit, advanced by the orb
    std::vector<Particle> particles;  // in order of creation; dead ones stay until clear()
    std::vector<glm::mat4> instances; // one per live particle, rebuilt by advance()
};
