#pragma once

#include <cstddef>
#include <cstdint>
#include <glm/glm.hpp>

struct Mesh;

// Streams `count` matrices into the mesh's instance buffer (orphaning the old store first) and draws
// that many instances with the mesh's diffuse texture on unit 0. Leaves vertex array, array buffer and
// 2D texture unbound. The mesh must have its buffers.
void drawMeshInstances(const Mesh& mesh, const glm::mat4* instances, std::size_t count,
                       int32_t diffuseLocation);
