#include "assets/VertexLayout.h"

#include "assets/DebugNames.h"
#include "assets/Mesh.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

uint32_t createStaticArrayBuffer(const void* data, size_t bytes) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return buffer;
}

uint32_t createBoundVertexArray() {
    GLuint vertexArray = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    return vertexArray;
}

void setVertexAttribute(uint32_t location, uint32_t buffer, int components) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE,
                          static_cast<GLsizei>(components * sizeof(float)), nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void setInstanceMatrixAttributes(uint32_t firstLocation, uint32_t buffer) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    for (uint32_t column = 0; column < 4; ++column) {
        const uint32_t location = firstLocation + column;
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, 4, GL_FLOAT, GL_FALSE, sizeof(glm::mat4),
                              reinterpret_cast<const void*>(column * sizeof(glm::vec4)));
        glVertexAttribDivisor(location, 1);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

uint32_t attachIndexBufferAndUnbind(const std::vector<uint32_t>& indices) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint32_t)),
                 indices.data(), GL_STATIC_DRAW);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    return buffer;
}

void labelMeshBuffers(const MeshBuffers& buffers, const std::string& model) {
    labelObject(GL_VERTEX_ARRAY, buffers.vertexArray, model + " vertex array");
    labelObject(GL_BUFFER, buffers.positionBuffer, model + " vertices");
    labelObject(GL_BUFFER, buffers.normalBuffer, model + " normals");
    labelObject(GL_BUFFER, buffers.texCoordBuffer, model + " texture coordinates");
    labelObject(GL_BUFFER, buffers.indexBuffer, model + " indices");
    labelObject(GL_BUFFER, buffers.instanceBuffer, model + " instances");
}
