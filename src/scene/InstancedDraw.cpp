#include "scene/InstancedDraw.h"

#include "assets/Mesh.h"

#include <GL/glew.h>

void drawMeshInstances(const Mesh& mesh, const glm::mat4* instances, std::size_t count,
                       int32_t diffuseLocation) {
    const MeshBuffers& buffers = *mesh.buffers;
    glBindVertexArray(buffers.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, buffers.instanceBuffer);
    // Orphan the old store so the driver need not wait for draws that still read it.
    glBufferData(GL_ARRAY_BUFFER, 0, nullptr, GL_STREAM_DRAW);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * sizeof(glm::mat4)), instances,
                 GL_STREAM_DRAW);

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, mesh.texture);
    glUniform1i(diffuseLocation, 0);

    glDrawElementsInstanced(GL_TRIANGLES, buffers.indexCount, GL_UNSIGNED_INT, nullptr,
                            static_cast<GLsizei>(count));

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
}
