#pragma once

// Reading the resource tree the way the engine does, without OpenGL: list lines with the engine's own
// list reader, images and models with FreeImage and assimp directly, under the engine's model rules.
// Shared by the resource tree tests.

#include "assets/ResourceList.h"

#include <FreeImage.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <filesystem>
#include <fstream>
#include <glm/glm.hpp>
#include <string>
#include <vector>

namespace resources {

inline std::vector<std::string> readLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Pixels as the engine receives them: a 32-bit copy, bytes blue, green, red, alpha, bottom row first.
struct Picture {
    bool loaded = false;
    FREE_IMAGE_FORMAT format = FIF_UNKNOWN;
    unsigned bitsPerPixel = 0;
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bgra;

    const unsigned char* texel(int x, int y) const { return &bgra[(static_cast<size_t>(y) * width + x) * 4]; }
};

inline Picture loadPicture(const std::filesystem::path& path) {
    Picture picture;
    const std::string name = path.string();
    picture.format = FreeImage_GetFileType(name.c_str(), 0);
    if (picture.format == FIF_UNKNOWN)
        return picture;
    FIBITMAP* bitmap = FreeImage_Load(picture.format, name.c_str(), 0);
    if (!bitmap)
        return picture;
    picture.bitsPerPixel = FreeImage_GetBPP(bitmap);
    FIBITMAP* converted = FreeImage_ConvertTo32Bits(bitmap);
    FreeImage_Unload(bitmap);
    if (!converted)
        return picture;
    picture.width = static_cast<int>(FreeImage_GetWidth(converted));
    picture.height = static_cast<int>(FreeImage_GetHeight(converted));
    picture.bgra.resize(static_cast<size_t>(picture.width) * picture.height * 4);
    for (int y = 0; y < picture.height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(converted, y);
        std::copy(line, line + picture.width * 4,
                  picture.bgra.begin() + static_cast<ptrdiff_t>(y) * picture.width * 4);
    }
    FreeImage_Unload(converted);
    picture.loaded = true;
    return picture;
}

// A model read the way the engine's mesh loader reads it: the first mesh of the root's first child is
// the geometry, and every child of the root is one instance at root × child.
struct Model {
    std::string failure; // empty when the file follows the rules below
    unsigned meshCount = 0;
    std::vector<unsigned> childMeshes; // per child: its first mesh index, or ~0u when it has none
    std::vector<unsigned> childMeshCounts;
    bool trianglesOnly = false;
    bool hasNormals = false;
    bool hasTexCoords = false;
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> texCoords;
    std::vector<unsigned> indices;
    std::vector<glm::mat4> instances;
    glm::vec3 centre{0.0f}; // mean of the vertex positions, as the engine computes it
    std::string texture;    // the material's diffuse texture path
};

// Column j of the result is (aj, bj, cj, dj), as in the engine.
inline glm::mat4 toColumnMajor(const aiMatrix4x4& m) {
    glm::mat4 r;
    for (int j = 0; j < 4; ++j)
        r[j] = glm::vec4(m[0][j], m[1][j], m[2][j], m[3][j]);
    return r;
}

inline Model importModel(const std::filesystem::path& path) {
    Model model;
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path.string(), aiProcess_CalcTangentSpace);
    if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !scene->mRootNode) {
        model.failure = "does not import: " + std::string(importer.GetErrorString());
        return model;
    }
    const aiNode* root = scene->mRootNode;
    if (root->mNumChildren == 0 || root->mChildren[0]->mNumMeshes == 0) {
        model.failure = "the root's first child carries no mesh";
        return model;
    }
    model.meshCount = scene->mNumMeshes;
    const glm::mat4 rootMatrix = toColumnMajor(root->mTransformation);
    for (unsigned c = 0; c < root->mNumChildren; ++c) {
        const aiNode* child = root->mChildren[c];
        model.childMeshes.push_back(child->mNumMeshes > 0 ? child->mMeshes[0] : ~0u);
        model.childMeshCounts.push_back(child->mNumMeshes);
        model.instances.push_back(rootMatrix * toColumnMajor(child->mTransformation));
    }
    const aiMesh* mesh = scene->mMeshes[root->mChildren[0]->mMeshes[0]];
    model.trianglesOnly = mesh->mPrimitiveTypes == aiPrimitiveType_TRIANGLE;
    model.hasNormals = mesh->mNormals != nullptr;
    model.hasTexCoords = mesh->mTextureCoords[0] != nullptr && mesh->mNumUVComponents[0] >= 2;
    for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
        const aiVector3D& p = mesh->mVertices[i];
        model.positions.emplace_back(p.x, p.y, p.z);
        model.centre += model.positions.back();
        if (model.hasNormals)
            model.normals.emplace_back(mesh->mNormals[i].x, mesh->mNormals[i].y, mesh->mNormals[i].z);
        if (model.hasTexCoords)
            model.texCoords.emplace_back(mesh->mTextureCoords[0][i].x, mesh->mTextureCoords[0][i].y);
    }
    if (mesh->mNumVertices > 0)
        model.centre /= static_cast<float>(mesh->mNumVertices);
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        if (mesh->mFaces[f].mNumIndices != 3) {
            model.trianglesOnly = false;
            continue;
        }
        for (unsigned k = 0; k < 3; ++k)
            model.indices.push_back(mesh->mFaces[f].mIndices[k]);
    }
    aiString texture;
    aiGetMaterialTexture(scene->mMaterials[mesh->mMaterialIndex], aiTextureType_DIFFUSE, 0, &texture);
    model.texture = texture.C_Str();
    return model;
}

} // namespace resources
