#include "render/WaterSurface.h"

#include "app/EngineClock.h"
#include "assets/Mesh.h"
#include "assets/ResourceCatalogue.h"
#include "render/WaterTargets.h"

#include <GL/glew.h>
#include <cmath>

float nextRippleOffset(float offset, float speed, float deltaTime) {
    // Kept as two float statements so that no fused multiply-add changes the single-precision sum.
    const float advance = speed * deltaTime;
    const float sum = advance + offset;
    double wrapped = std::fmod(static_cast<double>(sum), 1.0);
    // Only a clock that ran backwards gives a negative sum; fold it into [0, 1) as well. Adding 1 to a
    // tiny negative remainder can round up to exactly 1 in float, which is the same place as 0.
    if (wrapped < 0.0)
        wrapped += 1.0;
    const auto result = static_cast<float>(wrapped);
    return result < 1.0f ? result : 0.0f;
}

WaterSurface::WaterSurface(Mesh* waterMesh)
    : mesh(waterMesh), dudvTexture(findTexture("dudv.png")), normalTexture(findTexture("normalmap.png")) {}

void WaterSurface::update() {
    // assign() reuses the capacity, so after the first frame this allocates nothing.
    if (mesh)
        instances.assign(mesh->instanceTransforms.begin(), mesh->instanceTransforms.end());
    else
        instances.clear();
}

void WaterSurface::advanceRipple(float now) {
    currentTime = now;
    deltaTime = now - lastTime;
    lastTime = now;
    rippleOffset = nextRippleOffset(rippleOffset, rippleSpeed, deltaTime);
}

namespace {

void bindImage(GLenum unit, GLuint texture, GLint location) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, texture);
    glUniform1i(location, static_cast<GLint>(unit));
}

} // namespace

void WaterSurface::draw(const WaterTargets& targets, int32_t reflectionLocation, int32_t refractionLocation,
                        int32_t dudvLocation, int32_t normalLocation, int32_t depthLocation,
                        int32_t offsetLocation) {
    advanceRipple(engineTime());
    if (!mesh || !mesh->buffers)
        return;

    // Exactly what `instances` holds is uploaded and drawn: reading the mesh's instance count from a
    // list that update() has not filled yet would run past its end.
    const auto count = static_cast<GLsizei>(instances.size());
    glBindVertexArray(mesh->buffers->vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, mesh->buffers->instanceBuffer);
    // Orphan the old store so the driver need not wait for the previous frame's draw.
    glBufferData(GL_ARRAY_BUFFER, 0, nullptr, GL_STREAM_DRAW);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(instances.size() * sizeof(glm::mat4)),
                 instances.data(), GL_STREAM_DRAW);

    bindImage(0, targets.reflectionColour, reflectionLocation);
    bindImage(1, targets.refractionColour, refractionLocation);
    bindImage(2, dudvTexture, dudvLocation);
    bindImage(3, normalTexture, normalLocation);
    bindImage(4, targets.refractionDepth, depthLocation);
    glActiveTexture(GL_TEXTURE0);

    glUniform1f(offsetLocation, rippleOffset);
    glDrawElementsInstanced(GL_TRIANGLES, mesh->buffers->indexCount, GL_UNSIGNED_INT, nullptr, count);

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
}
