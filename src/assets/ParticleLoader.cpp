#include "assets/Mesh.h"
#include "assets/VertexLayout.h"

#include <GL/glew.h>

Mesh* ParticleLoader::processRoot(const aiNode* root, const aiScene* scene) {
    if (!collectModel(root, scene))
        return nullptr;
    Mesh* mesh = new Mesh();
    mesh->buffers = ParticleLoader::createBuffers();
    return mesh;
}

MeshBuffers* ParticleLoader::createBuffers() {
    // Billboards are lit by nothing, so the collected normals are not uploaded and normalBuffer stays 0.
    MeshBuffers* buffers = new MeshBuffers();
    buffers->positionBuffer = createStaticArrayBuffer(positions);
    buffers->texCoordBuffer = createStaticArrayBuffer(texCoords);
    glGenBuffers(1, &buffers->instanceBuffer); // filled by the emitter's draw every frame

    buffers->vertexArray = createBoundVertexArray();
    setVertexAttribute(0, buffers->positionBuffer, 3);
    setVertexAttribute(1, buffers->texCoordBuffer, 2);
    setInstanceMatrixAttributes(2, buffers->instanceBuffer);
    buffers->indexCount = static_cast<int32_t>(indices.size());
    buffers->indexBuffer = attachIndexBufferAndUnbind(indices);
    return buffers;
}
