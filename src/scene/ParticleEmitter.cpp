#include "scene/ParticleEmitter.h"

#include "assets/Mesh.h"
#include "scene/InstancedDraw.h"
#include "scene/Random.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

namespace {

// A random number read as degrees in 0..360 (91.01945 = 32767 / 360), then turned into radians.
float randomAngle() {
    constexpr float unitsPerDegree = 91.01945f;
    constexpr float radiansPerDegree = 0.017453292f;
    return (static_cast<float>(nextRandom()) / unitsPerDegree + 0.0f) * radiansPerDegree;
}

} // namespace

ParticleEmitter::ParticleEmitter(Mesh* mesh, int32_t maxParticles, int32_t spawnRate, float particleLife)
    : mesh(mesh), maxParticles(maxParticles), spawnRate(spawnRate), particleLife(particleLife) {
    // Live particles never exceed maxParticles; dead ones pile up until the orb's reset, and clear()
    // keeps the capacity, so after the first orb cycle the emitter no longer allocates.
    const auto capacity = static_cast<std::size_t>(maxParticles > 0 ? maxParticles : 0);
    instances.reserve(capacity);
    particles.reserve(capacity);
}

void ParticleEmitter::spawn(const glm::vec3& point) {
    // A full emitter keeps its credit, so the caller tries again next frame.
    if (liveCount >= maxParticles)
        return;
    ++liveCount;
    Particle particle;
    particle.position = point;
    particle.life = particleLife;
    const float theta = randomAngle();
    const float phi = randomAngle();
    particle.direction =
        glm::normalize(glm::vec3(0.25f * std::sin(theta) * std::cos(phi),
                                 0.25f * std::sin(theta) * std::sin(phi), 0.25f * std::cos(theta)));
    particles.push_back(particle);
    // The remainder of the credit is dropped: at most one particle per call.
    spawnAccumulator = 0.0f;
}

void ParticleEmitter::advance(float dt, float size) {
    instances.clear();
    for (Particle& particle : particles) {
        const bool wasAlive = particle.life >= 0.0f;
        particle.life -= dt;
        if (particle.life < 0.0f) {
            if (wasAlive)
                --liveCount;
            continue;
        }
        particle.position += particle.direction * dt;
        instances.push_back(glm::scale(glm::translate(glm::mat4(1.0f), particle.position), glm::vec3(size)));
    }
}

void ParticleEmitter::clear() {
    particles.clear();
    instances.clear();
    liveCount = 0;
}

void ParticleEmitter::draw(int32_t diffuseLocation) const {
    if (instances.empty() || !mesh || !mesh->buffers)
        return;
    drawMeshInstances(*mesh, instances.data(), instances.size(), diffuseLocation);
}
