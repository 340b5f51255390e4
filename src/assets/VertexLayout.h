#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct MeshBuffers;

// The GL steps that the model, particle and quad layouts share. Attributes are tightly packed GL_FLOAT
// arrays in separate buffers; every function leaves GL_ARRAY_BUFFER unbound.

// A GL_ARRAY_BUFFER holding a copy of the data, GL_STATIC_DRAW.
uint32_t createStaticArrayBuffer(const void* data, size_t bytes);

template <typename T> uint32_t createStaticArrayBuffer(const std::vector<T>& values) {
    return createStaticArrayBuffer(values.data(), values.size() * sizeof(T));
}

// Generates a vertex array and leaves it bound for the attribute calls below.
uint32_t createBoundVertexArray();

// Enables `location` in the bound vertex array and points it at `buffer`: `components` floats per vertex.
void setVertexAttribute(uint32_t location, uint32_t buffer, int components);

// The four columns of a 64-byte column-major matrix at locations first .. first + 3, advancing once per
// instance.
void setInstanceMatrixAttributes(uint32_t firstLocation, uint32_t buffer);

// Creates and fills the index buffer while the vertex array is still bound, so the array records it (a
// core profile may refuse element-buffer uploads with no vertex array bound), then unbinds the vertex
// array, GL_ARRAY_BUFFER and GL_ELEMENT_ARRAY_BUFFER, in that order.
uint32_t attachIndexBufferAndUnbind(const std::vector<uint32_t>& indices);

// Labels each GL object of the buffers after the model and its role: "house.obj vertices", "house.obj
// vertex array", ... (names a layout does not create are skipped).
void labelMeshBuffers(const MeshBuffers& buffers, const std::string& model);
