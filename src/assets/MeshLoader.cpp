#include "assets/ColladaNodes.h"
#include "assets/Mesh.h"
#include "assets/RegularFile.h"
#include "assets/RegularFileSystem.h"
#include "assets/ResourceCatalogue.h"
#include "assets/StartupLoader.h"
#include "assets/VertexLayout.h"

#include <GL/glew.h>
#include <algorithm>
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <cmath>
#include <iostream>

namespace {

// assimp's matrices are row-major (a1 a2 a3 a4 is the first row); ours are stored column by column.
glm::mat4 toColumnMajor(const aiMatrix4x4& m) {
    return glm::mat4(m.a1, m.b1, m.c1, m.d1,  // column 0
                     m.a2, m.b2, m.c2, m.d2,  // column 1
                     m.a3, m.b3, m.c3, m.d3,  // column 2
                     m.a4, m.b4, m.c4, m.d4); // column 3: the translation
}

// The one mesh that becomes geometry: the first mesh of the root's first child. Null when the file has
// nothing there, so that such a file is reported rather than read past its node lists.
const aiMesh* firstChildMesh(const aiNode* root, const aiScene* scene) {
    if (root->mNumChildren == 0 || root->mChildren[0] == nullptr)
        return nullptr;
    const aiNode* child = root->mChildren[0];
    if (child->mNumMeshes == 0 || child->mMeshes[0] >= scene->mNumMeshes)
        return nullptr;
    return scene->mMeshes[child->mMeshes[0]];
}

// Faces of fewer than three indices (points and lines) are skipped when loading; what remains must hold
// at least one triangle, and every index taken must name a vertex, or the GPU would read past the
// vertex buffers.
bool hasDrawableTriangles(const aiMesh* mesh) {
    if (mesh->mNumVertices == 0 || mesh->mVertices == nullptr || mesh->mFaces == nullptr)
        return false;
    bool anyTriangle = false;
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        if (face.mNumIndices < 3)
            continue;
        for (unsigned k = 0; k < 3; ++k)
            if (face.mIndices[k] >= mesh->mNumVertices)
                return false;
        anyTriangle = true;
    }
    return anyTriangle;
}

// Smooth normals weighted by triangle area, for a model that carries none: the attribute stays enabled
// in every layout, so each vertex needs a value, and a direction lights far better than zero.
std::vector<glm::vec3> areaWeightedNormals(const std::vector<glm::vec3>& positions,
                                           const std::vector<uint32_t>& indices) {
    std::vector<glm::vec3> normals(positions.size(), glm::vec3(0.0f));
    for (size_t i = 0; i + 2 < indices.size(); i += 3) {
        const uint32_t a = indices[i], b = indices[i + 1], c = indices[i + 2];
        if (a >= positions.size() || b >= positions.size() || c >= positions.size())
            continue;
        // The cross product's length is twice the triangle's area: larger faces weigh more.
        const glm::vec3 faceNormal = glm::cross(positions[b] - positions[a], positions[c] - positions[a]);
        normals[a] += faceNormal;
        normals[b] += faceNormal;
        normals[c] += faceNormal;
    }
    for (glm::vec3& normal : normals) {
        const float length = glm::length(normal);
        if (length > 0.0f)
            normal /= length;
    }
    return normals;
}

// Every float of a list of GLM vectors or matrices, which are plain arrays of floats.
template <typename T> bool allFinite(const std::vector<T>& values) {
    static_assert(sizeof(T) % sizeof(float) == 0);
    const auto* floats = reinterpret_cast<const float*>(values.data());
    return std::all_of(floats, floats + values.size() * (sizeof(T) / sizeof(float)),
                       [](float value) { return std::isfinite(value); });
}

// The scene spans tens of units. A model placed beyond this on any axis is refused, so that what the
// engine computes from it stays finite: the orb's home and its fall towards the ground, say, would
// otherwise overflow to infinity and then to NaN, and the orb would never hand over.
constexpr float MaxCoordinate = 1.0e6f;

// Each vertex and the centre under each instance transform, as the engine places them; NaN is not within.
bool placedWithinBounds(const std::vector<glm::vec3>& positions, glm::vec3 center,
                        const std::vector<glm::mat4>& transforms) {
    const auto within = [](const glm::mat4& transform, glm::vec3 point) {
        const glm::vec3 placed = transform * glm::vec4(point, 1.0f);
        return glm::all(glm::lessThanEqual(glm::abs(placed), glm::vec3(MaxCoordinate)));
    };
    for (const glm::mat4& transform : transforms) {
        if (!within(transform, center))
            return false;
        for (const glm::vec3& position : positions)
            if (!within(transform, position))
                return false;
    }
    return true;
}

// False for a file the model library would hand to its COLLADA importer and whose node tree that importer
// would build without end or beyond the limits (see checkColladaNodes): it is read through the engine, as
// the library would read it, and scanned first.
bool colladaTreeBuildable(const std::string& path, const Assimp::Importer& importer) {
    if (!mayBeCollada(path, importer))
        return true;
    const std::optional<std::string> text = readRegularFile(path);
    return !text || checkColladaNodes(*text) == ColladaNodes::Sound;
}

std::string diffuseTexturePath(const aiMesh* mesh, const aiScene* scene) {
    if (mesh->mMaterialIndex >= scene->mNumMaterials)
        return std::string();
    aiString path;
    aiGetMaterialTexture(scene->mMaterials[mesh->mMaterialIndex], aiTextureType_DIFFUSE, 0, &path);
    // Byte for byte, including any bytes past an embedded zero.
    return std::string(path.data, path.length);
}

// What a loader collects from an imported scene before it uploads anything, for a thread that must not
// touch the catalogue's loaders.
struct ModelCollector : MeshLoader {
    bool collect(const aiNode* root, const aiScene* scene) { return collectModel(root, scene); }
};

} // namespace

ModelData importModel(const std::string& path, Assimp::Importer& importer) {
    importer.SetIOHandler(new RegularFileSystem());
    const aiScene* scene =
        colladaTreeBuildable(path, importer) ? importer.ReadFile(path, aiProcess_CalcTangentSpace) : nullptr;
    ModelCollector collector;
    ModelData model;
    if (scene != nullptr && scene->mFlags != AI_SCENE_FLAGS_INCOMPLETE && scene->mRootNode != nullptr &&
        collector.collect(scene->mRootNode, scene))
        model = {std::move(collector.positions),  std::move(collector.normals),
                 std::move(collector.texCoords),  std::move(collector.indices),
                 std::move(collector.transforms), collector.center,
                 std::move(collector.textureName)};
    importer.FreeScene();
    return model;
}

Mesh* MeshLoader::loadMesh(const std::string& fileName, const std::string& directory) {
    const std::string path = directory + fileName;
    std::optional<ModelData> model = takeLoadedModel(path);
    if (!model) {
        Assimp::Importer importer;
        model = importModel(path, importer);
    }
    if (model->indices.empty()) {
        std::cout << "ERROR LOADING MESH " << path << std::endl;
        return nullptr;
    }
    // The working fields as processRoot collects them; createBuffers lays them out for this kind of loader.
    positions = std::move(model->positions);
    normals = std::move(model->normals);
    texCoords = std::move(model->texCoords);
    indices = std::move(model->indices);
    transforms = std::move(model->transforms);
    center = model->center;
    textureName = std::move(model->textureName);
    Mesh* mesh = new Mesh();
    mesh->buffers = createBuffers();
    mesh->name = fileName;
    labelMeshBuffers(*mesh->buffers, mesh->name);
    mesh->texture = findTexture(textureName);
    mesh->center = center;
    mesh->instanceTransforms = transforms;
    mesh->instanceCount = static_cast<int32_t>(transforms.size());
    return mesh;
}

bool MeshLoader::collectModel(const aiNode* root, const aiScene* scene) {
    const aiMesh* geometry = firstChildMesh(root, scene);
    if (geometry == nullptr || !hasDrawableTriangles(geometry))
        return false;
    const glm::mat4 rootMatrix = toColumnMajor(root->mTransformation);
    MeshLoader::processMesh(geometry, scene);

    // One instance per child of the root, whatever mesh it carries; grandchildren are not visited.
    transforms.clear();
    for (unsigned i = 0; i < root->mNumChildren; ++i)
        if (root->mChildren[i] != nullptr)
            transforms.push_back(rootMatrix * toColumnMajor(root->mChildren[i]->mTransformation));
    // One NaN would spread through every matrix built from the model; the bounds leave out NaN positions
    // and a centre whose sum overflowed too.
    return allFinite(normals) && allFinite(transforms) && placedWithinBounds(positions, center, transforms);
}

Mesh* MeshLoader::processRoot(const aiNode* root, const aiScene* scene) {
    if (!collectModel(root, scene))
        return nullptr;
    Mesh* mesh = new Mesh();
    mesh->buffers = createBuffers();
    return mesh;
}

void MeshLoader::processMesh(const aiMesh* mesh, const aiScene* scene) {
    positions.clear();
    normals.clear();
    texCoords.clear();
    indices.clear();
    center = glm::vec3(0.0f);

    const unsigned vertexCount = mesh->mVertices != nullptr ? mesh->mNumVertices : 0;
    const bool hasNormals = mesh->mNormals != nullptr && vertexCount > 0;
    const bool hasTexCoords = mesh->mTextureCoords[0] != nullptr && vertexCount > 0;
    for (unsigned i = 0; i < vertexCount; ++i) {
        const aiVector3D& p = mesh->mVertices[i];
        positions.emplace_back(p.x, p.y, p.z);
        center += positions.back();
        if (hasNormals)
            normals.emplace_back(mesh->mNormals[i].x, mesh->mNormals[i].y, mesh->mNormals[i].z);
        if (hasTexCoords) // v stays as stored: nothing is flipped
            texCoords.emplace_back(mesh->mTextureCoords[0][i].x, mesh->mTextureCoords[0][i].y);
    }
    if (vertexCount > 0)
        center /= static_cast<float>(vertexCount);

    // The file must hold triangles (nothing is triangulated): a polygon gives its first triangle, and
    // points and lines, which have no area to draw, are left out.
    const unsigned faceCount = mesh->mFaces != nullptr ? mesh->mNumFaces : 0;
    for (unsigned f = 0; f < faceCount; ++f) {
        const aiFace& face = mesh->mFaces[f];
        if (face.mNumIndices >= 3)
            indices.insert(indices.end(), face.mIndices, face.mIndices + 3);
    }

    if (!hasNormals)
        normals = areaWeightedNormals(positions, indices);
    if (!hasTexCoords) // every vertex samples the texture's corner texel rather than an absent array
        texCoords.assign(positions.size(), glm::vec2(0.0f));
    textureName = diffuseTexturePath(mesh, scene);
}

MeshBuffers* MeshLoader::createBuffers() {
    MeshBuffers* buffers = new MeshBuffers();
    buffers->positionBuffer = createStaticArrayBuffer(positions);
    buffers->normalBuffer = createStaticArrayBuffer(normals);
    buffers->texCoordBuffer = createStaticArrayBuffer(texCoords);
    glGenBuffers(1, &buffers->instanceBuffer); // storage comes with each draw's matrices

    buffers->vertexArray = createBoundVertexArray();
    setVertexAttribute(0, buffers->positionBuffer, 3);
    setVertexAttribute(1, buffers->normalBuffer, 3);
    setVertexAttribute(2, buffers->texCoordBuffer, 2);
    setInstanceMatrixAttributes(3, buffers->instanceBuffer);
    buffers->indexCount = static_cast<int32_t>(indices.size());
    buffers->indexBuffer = attachIndexBufferAndUnbind(indices);
    return buffers;
}

Mesh* MeshLoader::createQuad() {
    // The lower-left quarter of normalised device coordinates; the other working fields stay as they are.
    positions = {{-1.0f, -1.0f, 0.0f}, {0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}};
    texCoords = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    indices = {0, 1, 2, 0, 2, 3};

    Mesh* quad = new Mesh();
    quad->buffers = new MeshBuffers();
    MeshBuffers& buffers = *quad->buffers;
    buffers.positionBuffer = createStaticArrayBuffer(positions);
    buffers.texCoordBuffer = createStaticArrayBuffer(texCoords);
    buffers.vertexArray = createBoundVertexArray();
    setVertexAttribute(0, buffers.positionBuffer, 3);
    setVertexAttribute(1, buffers.texCoordBuffer, 2);
    buffers.indexCount = static_cast<int32_t>(indices.size());
    buffers.indexBuffer = attachIndexBufferAndUnbind(indices);
    quad->name = "quad";
    labelMeshBuffers(buffers, quad->name);
    return quad;
}

void destroyMesh(Mesh* mesh) {
    if (mesh == nullptr)
        return;
    if (mesh->buffers != nullptr) {
        const MeshBuffers& buffers = *mesh->buffers;
        glDeleteVertexArrays(1, &buffers.vertexArray);
        // Names a layout does not create are 0, which glDeleteBuffers ignores.
        glDeleteBuffers(1, &buffers.positionBuffer);
        glDeleteBuffers(1, &buffers.normalBuffer);
        glDeleteBuffers(1, &buffers.texCoordBuffer);
        glDeleteBuffers(1, &buffers.indexBuffer);
        glDeleteBuffers(1, &buffers.instanceBuffer);
        delete mesh->buffers;
    }
    // The diffuse texture belongs to the texture table and stays.
    delete mesh;
}
