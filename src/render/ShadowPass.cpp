#include "render/ShadowPass.h"

#include "assets/Mesh.h"
#include "assets/ShaderProgram.h"
#include "scene/PointLight.h"
#include "scene/SceneObject.h"

#include <GL/glew.h>
#include <algorithm>
#include <cstdio>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace {

struct CubeFace {
    glm::vec3 direction;
    glm::vec3 up;
};

// In the order of GL_TEXTURE_CUBE_MAP_POSITIVE_X + index. The up vectors follow the cube-map convention
// (faces are stored upside down), so a face's image lands where the Phong shader's lookup expects it.
constexpr CubeFace CubeFaces[6] = {
    {{1.0f, 0.0f, 0.0f}, {0.0f, -1.0f, 0.0f}}, {{-1.0f, 0.0f, 0.0f}, {0.0f, -1.0f, 0.0f}},
    {{0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}},  {{0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, -1.0f}},
    {{0.0f, 0.0f, 1.0f}, {0.0f, -1.0f, 0.0f}}, {{0.0f, 0.0f, -1.0f}, {0.0f, -1.0f, 0.0f}},
};

// Orphans the old store first so the driver need not wait for last frame's draws that still read it.
void streamInstances(const Mesh& mesh, const std::vector<glm::mat4>& instances) {
    // An effect object holds fewer matrices than its model has instances; never read past them.
    const auto count = std::min(static_cast<size_t>(std::max(mesh.instanceCount, 0)), instances.size());
    glBindBuffer(GL_ARRAY_BUFFER, mesh.buffers->instanceBuffer);
    glBufferData(GL_ARRAY_BUFFER, 0, nullptr, GL_STREAM_DRAW);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * sizeof(glm::mat4)), instances.data(),
                 GL_STREAM_DRAW);
    glDrawElementsInstanced(GL_TRIANGLES, mesh.buffers->indexCount, GL_UNSIGNED_INT, nullptr,
                            static_cast<GLsizei>(count));
}

} // namespace

ShadowPass::ShadowPass() {
    program = createShaderProgram(ShaderDirectory, "Shadow", true, &buildFailure);
    if (!program)
        return;
    for (int face = 0; face < 6; ++face) {
        char name[32];
        std::snprintf(name, sizeof name, "shadowMatrices[%d]", face);
        faceMatrixLocations.push_back(glGetUniformLocation(program->program, name));
    }
    lightPosLocation = glGetUniformLocation(program->program, "lightPos");
}

ShadowPass::~ShadowPass() {
    destroyShaderProgram(program);
    program = nullptr;
    faceMatrixLocations.clear();
}

std::array<glm::mat4, 6> shadowFaceMatrices(const glm::mat4& projection, const glm::vec3& lightPosition) {
    std::array<glm::mat4, 6> matrices;
    for (size_t face = 0; face < 6; ++face) {
        const CubeFace& row = CubeFaces[face];
        matrices[face] = projection * glm::lookAt(lightPosition, lightPosition + row.direction, row.up);
    }
    return matrices;
}

void ShadowPass::draw(const PointLight& light, SceneObject& object) {
    // A model that failed to load has nothing to cast.
    if (!program || !object.mesh || !object.mesh->buffers)
        return;
    glUseProgram(program->program);

    // Recomputed at every draw: the light may have moved since the last object.
    lightProjection = light.shadowCamera.projection;
    const std::array<glm::mat4, 6> faces = shadowFaceMatrices(lightProjection, light.position);
    for (size_t face = 0; face < faceMatrixLocations.size(); ++face)
        glUniformMatrix4fv(faceMatrixLocations[face], 1, GL_FALSE, glm::value_ptr(faces[face]));
    glUniform3fv(lightPosLocation, 1, glm::value_ptr(light.position));

    glBindVertexArray(object.mesh->buffers->vertexArray);
    streamInstances(*object.mesh, object.instances);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glUseProgram(0);
}
