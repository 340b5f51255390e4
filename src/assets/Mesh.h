#pragma once

#include <cstdint>
#include <glm/glm.hpp>
#include <string>
#include <vector>

struct aiNode;
struct aiScene;
struct aiMesh;
namespace Assimp {
class Importer;
}

// The GPU objects of one piece of geometry. Names a kind of mesh does not create stay 0, so deleting
// them is a no-op. Model layout: 0 position, 1 normal, 2 texture coordinate, 3..6 instance matrix columns.
// Particle layout: 0 position, 1 texture coordinate, 2..5 instance matrix columns.
struct MeshBuffers {
    uint32_t vertexArray = 0;
    uint32_t positionBuffer = 0; // 3 floats per vertex
    uint32_t normalBuffer = 0;   // 3 floats per vertex; 0 for particle meshes and the quad
    uint32_t texCoordBuffer = 0; // 2 floats per vertex
    uint32_t indexBuffer = 0;    // unsigned 32-bit, three per triangle; recorded in the vertex array
    uint32_t instanceBuffer = 0; // 64-byte column-major matrices, re-specified by the drawer before each draw
    int32_t indexCount = 0;
};

// One shape placed instanceCount times. Owned by the mesh table; scene objects borrow it.
struct Mesh {
    MeshBuffers* buffers = nullptr;            // owned
    glm::vec3 center{0.0f};                    // mean of the vertex positions, model units
    std::vector<glm::mat4> instanceTransforms; // root x child for every child node of the model's root
    int32_t instanceCount = 0;                 // instanceTransforms.size()
    uint32_t texture = 0;                      // diffuse texture borrowed from the texture table, or 0
    // Added to the record: the file it was loaded from ("house.obj"; "quad" for the quad), which names its
    // GL objects and the debug groups of the objects drawn from it.
    std::string name;
};

// Releases the buffers and the record; the texture belongs to the texture table and stays.
void destroyMesh(Mesh* mesh);

// A model file read and checked without OpenGL: what a MeshLoader's working fields hold once it has
// collected the model, ready for createBuffers. `indices` is empty when the file was refused.
struct ModelData {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> texCoords;
    std::vector<uint32_t> indices;
    std::vector<glm::mat4> transforms;
    glm::vec3 center{0.0f};
    std::string textureName;
};

// Imports and checks the model at `path` as loadMesh does, on any thread, with an importer that thread
// alone uses; the importer keeps nothing of the file afterwards.
ModelData importModel(const std::string& path, Assimp::Importer& importer);

// Reads model files through assimp: the first mesh of the root's first child is the geometry, and every
// child of the root is one instance. The working fields are overwritten by each load.
class MeshLoader {
  public:
    MeshLoader() = default;
    MeshLoader(const MeshLoader&) = delete;
    MeshLoader& operator=(const MeshLoader&) = delete;

    virtual Mesh* processRoot(const aiNode* root, const aiScene* scene);
    virtual void processMesh(const aiMesh* mesh, const aiScene* scene);
    virtual MeshBuffers* createBuffers();
    // directory carries its trailing slash; null after printing "ERROR LOADING MESH <path>".
    virtual Mesh* loadMesh(const std::string& fileName, const std::string& directory);
    // The lower-left quarter of the screen in normalised device coordinates (attributes 0 and 1).
    virtual Mesh* createQuad();
    virtual ~MeshLoader() = default;

    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> texCoords;
    std::vector<uint32_t> indices;
    std::vector<glm::mat4> transforms;
    glm::vec3 center{0.0f};
    std::string textureName;

  protected:
    // What both processRoot variants share: the geometry of the root's first child and one transform per
    // child. False, with nothing to upload, when the file has no drawable triangle there, when a normal
    // or a node transform is not finite, or when a vertex or the centre, placed by an instance transform,
    // lies more than a million units out on some axis.
    bool collectModel(const aiNode* root, const aiScene* scene);
};

// Same geometry, laid out for instanced billboards: no normals, instance matrix at attributes 2 to 5.
struct ParticleLoader : MeshLoader {
    Mesh* processRoot(const aiNode* root, const aiScene* scene) override;
    MeshBuffers* createBuffers() override;
};
