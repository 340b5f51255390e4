#include "assets/Mesh.h"
#include "assets/ResourceCatalogue.h"
#include "support/CoutCapture.h"
#include "support/GlTest.h"
#include "support/ModelFiles.h"
#include "support/TempTree.h"

#include <assimp/scene.h>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtx/string_cast.hpp>
#include <memory>

namespace {

using Indices = std::vector<uint32_t>;
const std::string Identity = "1 0 0 0  0 1 0 0  0 0 1 0  0 0 0 1";

// Owns what a test loads and destroys it at the end, so a failed expectation leaks nothing.
struct OwnedMesh {
    Mesh* mesh = nullptr;
    ~OwnedMesh() { destroyMesh(mesh); }
};

class MeshLoaderTest : public GlTest {
  protected:
    Mesh* load(MeshLoader& loader, const std::string& fileName, const std::string& content) {
        tree.write("Resources/Meshes/" + fileName, content);
        owned.push_back(std::make_unique<OwnedMesh>());
        owned.back()->mesh = loader.loadMesh(fileName, meshDirectory());
        return owned.back()->mesh;
    }
    Mesh* load(const std::string& fileName, const std::string& content) {
        return load(loader, fileName, content);
    }
    std::string meshDirectory() const { return tree.meshes().string() + "/"; }

    TempTree tree;
    MeshLoader loader;
    std::vector<std::unique_ptr<OwnedMesh>> owned;
};

// A made-up texture name in the texture table for as long as it lives; lookups never touch GL.
struct TableEntry {
    explicit TableEntry(const std::string& name, Texture texture) : name(name) {
        textureTable().emplace(name, texture);
    }
    ~TableEntry() { textureTable().erase(name); }
    std::string name;
};

template <typename T> std::vector<T> bufferContents(uint32_t buffer) {
    GLint64 bytes = 0;
    glGetNamedBufferParameteri64v(buffer, GL_BUFFER_SIZE, &bytes);
    std::vector<T> values(static_cast<size_t>(bytes) / sizeof(T));
    glGetNamedBufferSubData(buffer, 0, static_cast<GLsizeiptr>(values.size() * sizeof(T)), values.data());
    return values;
}

void expectNear(const glm::mat4& actual, const glm::mat4& expected, const std::string& what) {
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], 1e-5f)
                << what << ": column " << c << " row " << r << "\nactual   " << glm::to_string(actual)
                << "\nexpected " << glm::to_string(expected);
}

TEST_F(MeshLoaderTest, ChildrenSharingOneMeshGiveOneInstanceEachAtRootTimesChild) {
    // The grandchild under "b" must not become an instance of its own.
    const std::string nodes = colladaNode("a", "1 0 0 1  0 1 0 2  0 0 1 3  0 0 0 1", "tri") +
                              colladaNode("b", "2 0 0 0  0 2 0 0  0 0 2 0  0 0 0 1", "tri",
                                          colladaNode("c", "1 0 0 5  0 1 0 5  0 0 1 5  0 0 0 1", "tri")) +
                              colladaNode("d", "0 -1 0 0  1 0 0 0  0 0 1 0  0 0 0 1", "tri");
    const Mesh* mesh = load("three.dae", colladaModel(nodes, "Z_UP"));
    ASSERT_NE(mesh, nullptr);

    // Z_UP makes the root a rotation that does not commute with the children, so the order shows.
    const glm::mat4 root = glm::rotate(glm::mat4(1.0f), -glm::half_pi<float>(), glm::vec3(1, 0, 0));
    const glm::mat4 children[] = {glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3)),
                                  glm::scale(glm::mat4(1.0f), glm::vec3(2.0f)),
                                  glm::rotate(glm::mat4(1.0f), glm::half_pi<float>(), glm::vec3(0, 0, 1))};
    ASSERT_EQ(mesh->instanceCount, 3);
    ASSERT_EQ(mesh->instanceTransforms.size(), 3u);
    for (int i = 0; i < 3; ++i)
        expectNear(mesh->instanceTransforms[i], root * children[i], "instance " + std::to_string(i));
    EXPECT_EQ(mesh->buffers->indexCount, 3);
}

TEST_F(MeshLoaderTest, TwoChildrenWithDifferentMeshesGiveTheFirstChildsGeometryTwice) {
    const struct {
        std::string first, second;
        glm::vec3 center;
    } cases[] = {{"tri", "big", {2.0f / 3, 4.0f / 3, 0}}, {"big", "tri", {20.0f / 3, 20.0f / 3, 0}}};
    for (const auto& c : cases) {
        const Mesh* mesh = load(c.first + ".dae", colladaModel(colladaNode("first", Identity, c.first) +
                                                               colladaNode("second", Identity, c.second)));
        ASSERT_NE(mesh, nullptr) << c.first;
        EXPECT_EQ(mesh->instanceCount, 2) << c.first;
        EXPECT_NEAR(glm::distance(mesh->center, c.center), 0.0f, 1e-5f) << c.first;
    }
}

TEST_F(MeshLoaderTest, ATranslatedChildGivesTheTranslationInTheLastColumn) {
    const Mesh* mesh =
        load("moved.dae", colladaModel(colladaNode("a", "1 0 0 1  0 1 0 2  0 0 1 3  0 0 0 1", "tri") +
                                       colladaNode("b", Identity, "tri")));
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->instanceCount, 2);
    expectNear(mesh->instanceTransforms[0], glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3)),
               "translated");
    expectNear(mesh->instanceTransforms[1], glm::mat4(1.0f), "identity");
}

TEST_F(MeshLoaderTest, TakesPositionsNormalsTexCoordsAndTheirMean) {
    const Mesh* mesh = load("tri.obj", objTriangle());
    ASSERT_NE(mesh, nullptr);
    EXPECT_FLOAT_EQ(mesh->center.x, 0.6666667f);
    EXPECT_FLOAT_EQ(mesh->center.y, 1.3333334f);
    EXPECT_FLOAT_EQ(mesh->center.z, 0.0f);
    EXPECT_EQ(bufferContents<glm::vec3>(mesh->buffers->positionBuffer),
              (std::vector<glm::vec3>{{0, 0, 0}, {2, 0, 0}, {0, 4, 0}}));
    EXPECT_EQ(bufferContents<glm::vec3>(mesh->buffers->normalBuffer), std::vector<glm::vec3>(3, {0, 0, 1}));
    // v is handed over as stored, not flipped.
    EXPECT_EQ(bufferContents<glm::vec2>(mesh->buffers->texCoordBuffer),
              (std::vector<glm::vec2>{{0, 0}, {1, 0}, {0, 1}}));
    EXPECT_EQ(bufferContents<uint32_t>(mesh->buffers->indexBuffer), (Indices{0, 1, 2}));
}

TEST_F(MeshLoaderTest, APolygonContributesItsFirstTriangle) {
    const Mesh* mesh = load("quad.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 5 5 5\nv 6 5 5\nv 5 6 5\n"
                                        "f 1 2 3 4\nf 5 6 7\n");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->buffers->indexCount, 6);
    EXPECT_EQ(bufferContents<uint32_t>(mesh->buffers->indexBuffer), (Indices{0, 1, 2, 4, 5, 6}));
}

TEST_F(MeshLoaderTest, DiffusePathIsLookedUpByteForByte) {
    const TableEntry entry("tex.png", 42);
    const struct {
        std::string material;
        uint32_t texture;
    } cases[] = {{"map_Kd tex.png\n", 42}, {"map_Kd sub/tex.png\n", 0}, {"map_Kd Tex.png\n", 0}, {"", 0}};
    for (const auto& c : cases) {
        tree.write("Resources/Meshes/m.mtl", "newmtl m\n" + c.material);
        const Mesh* mesh = load("textured.obj", "mtllib m.mtl\nusemtl m\n" + objTriangle());
        ASSERT_NE(mesh, nullptr) << c.material;
        EXPECT_EQ(mesh->texture, c.texture) << c.material;
    }
}

TEST_F(MeshLoaderTest, AMissingFilePrintsOneLineWithItsPath) {
    ScopedWorkingDirectory inWork(tree.work());
    CoutCapture capture;
    EXPECT_EQ(loader.loadMesh("none.obj", "../Resources/Meshes/"), nullptr);
    EXPECT_EQ(capture.text(), "ERROR LOADING MESH ../Resources/Meshes/none.obj\n");
}

// Malformed models: each is either refused with the usual line or loaded within its data.
TEST_F(MeshLoaderTest, MalformedModelFilesAreRefusedOrLoadedSafely) {
    const struct {
        std::string name, content;
        bool accepted;
        Indices indices;
    } cases[] = {
        {"empty.obj", "", false, {}},
        {"garbage.dae", "this is not a model\n", false, {}},
        {"nochild.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n", false, {}}, // the root carries the mesh itself
        {"firstchildbare.obj", "o bare\nv 0 0 0\nv 1 0 0\nv 0 1 0\no tri\nf 1 2 3\n", false, {}},
        {"onlylines.obj", "v 0 0 0\nv 1 0 0\nl 1 2\np 1\n", false, {}},
        {"mixed.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nl 1 2\nf 1 2 3\np 3\n", true, {2, 3, 4}},
        {"nonodes.dae", colladaModel(""), false, {}}, // assimp marks the scene incomplete
        {"barefirst.dae",
         colladaModel(colladaNode("bare", Identity, "") + colladaNode("t", Identity, "tri")),
         false,
         {}},
    };
    for (const auto& c : cases) {
        CoutCapture capture;
        const Mesh* mesh = load(c.name, c.content);
        EXPECT_EQ(mesh != nullptr, c.accepted) << c.name;
        if (mesh != nullptr) {
            EXPECT_EQ(bufferContents<uint32_t>(mesh->buffers->indexBuffer), c.indices) << c.name;
            EXPECT_EQ(capture.text(), "") << c.name;
        } else {
            EXPECT_EQ(capture.text(), "ERROR LOADING MESH " + meshDirectory() + c.name + "\n");
        }
    }
}

TEST_F(MeshLoaderTest, MissingNormalsAreComputedAndMissingTexCoordsAreZero) {
    // One triangle in the xy plane and one in the xz plane; OBJ gives every face corner its own vertex.
    const Mesh* mesh = load("bare.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 -1\nf 1 2 3\nf 1 2 4\n");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(bufferContents<glm::vec3>(mesh->buffers->normalBuffer),
              (std::vector<glm::vec3>{{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}}));
    EXPECT_EQ(bufferContents<glm::vec2>(mesh->buffers->texCoordBuffer), std::vector<glm::vec2>(6, {0, 0}));
}

// Scenes no importer writes, built by hand: the loader must not trust the counts it is given.
class HandMadeSceneTest : public MeshLoaderTest {
  protected:
    // A root with `childCount` children, each naming scene mesh 0, which has the given vertices and faces.
    static std::unique_ptr<aiScene> scene(unsigned childCount, const std::vector<aiVector3D>& positions,
                                          const std::vector<std::vector<unsigned>>& faces) {
        auto scene = std::make_unique<aiScene>();
        scene->mRootNode = new aiNode("root");
        scene->mRootNode->mNumChildren = childCount;
        scene->mRootNode->mChildren = childCount > 0 ? new aiNode*[childCount] : nullptr;
        for (unsigned i = 0; i < childCount; ++i) {
            aiNode* child = new aiNode("child");
            child->mParent = scene->mRootNode;
            child->mNumMeshes = 1;
            child->mMeshes = new unsigned[1]{0};
            scene->mRootNode->mChildren[i] = child;
        }
        aiMesh* mesh = new aiMesh();
        mesh->mNumVertices = static_cast<unsigned>(positions.size());
        mesh->mVertices = positions.empty() ? nullptr : new aiVector3D[positions.size()];
        std::copy(positions.begin(), positions.end(), mesh->mVertices);
        mesh->mNumFaces = static_cast<unsigned>(faces.size());
        mesh->mFaces = faces.empty() ? nullptr : new aiFace[faces.size()];
        for (size_t f = 0; f < faces.size(); ++f) {
            mesh->mFaces[f].mNumIndices = static_cast<unsigned>(faces[f].size());
            mesh->mFaces[f].mIndices = faces[f].empty() ? nullptr : new unsigned[faces[f].size()];
            std::copy(faces[f].begin(), faces[f].end(), mesh->mFaces[f].mIndices);
        }
        scene->mNumMeshes = 1;
        scene->mMeshes = new aiMesh* [1] { mesh };
        scene->mNumMaterials = 1;
        scene->mMaterials = new aiMaterial* [1] { new aiMaterial() };
        return scene;
    }

    // Vertices (0,0,0), (1,0,0), (2,0,0), ...
    static std::unique_ptr<aiScene> scene(unsigned childCount, unsigned vertexCount,
                                          const std::vector<std::vector<unsigned>>& faces) {
        std::vector<aiVector3D> positions;
        for (unsigned i = 0; i < vertexCount; ++i)
            positions.emplace_back(static_cast<float>(i), 0.0f, 0.0f);
        return scene(childCount, positions, faces);
    }

    Mesh* process(MeshLoader& loader, const aiScene& scene) {
        owned.push_back(std::make_unique<OwnedMesh>());
        owned.back()->mesh = loader.processRoot(scene.mRootNode, &scene);
        return owned.back()->mesh;
    }
};

TEST_F(HandMadeSceneTest, CountsThatWouldReadPastTheDataAreRefused) {
    ParticleLoader particles;
    for (MeshLoader* l : {&loader, static_cast<MeshLoader*>(&particles)}) {
        EXPECT_EQ(process(*l, *scene(0, 3, {{0, 1, 2}})), nullptr) << "root without children";
        EXPECT_EQ(process(*l, *scene(1, 0, {})), nullptr) << "mesh without vertices";
        EXPECT_EQ(process(*l, *scene(1, 3, {{0, 1, 3}})), nullptr) << "index past the last vertex";
        EXPECT_EQ(process(*l, *scene(1, 3, {{}, {0}, {1, 2}})), nullptr) << "no face of three indices";

        auto noSuchMesh = scene(2, 3, {{0, 1, 2}});
        noSuchMesh->mRootNode->mChildren[0]->mMeshes[0] = 1;
        EXPECT_EQ(process(*l, *noSuchMesh), nullptr) << "mesh index past the scene's meshes";
    }
}

TEST_F(HandMadeSceneTest, EmptyFacesAreSkippedAndAMissingMaterialGivesNoTexture) {
    auto handMade = scene(2, 4, {{}, {0, 1, 2}, {3}, {1, 2, 3, 0}});
    handMade->mMeshes[0]->mMaterialIndex = 7;
    loader.textureName = "left over from an earlier file";
    const Mesh* mesh = process(loader, *handMade);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(loader.indices, (Indices{0, 1, 2, 1, 2, 3}));
    EXPECT_EQ(loader.textureName, "");
    EXPECT_EQ(loader.transforms.size(), 2u);
    EXPECT_FLOAT_EQ(loader.center.x, 1.5f);
}

TEST_F(HandMadeSceneTest, ComputedNormalsOfSharedVerticesAreWeightedByArea) {
    // A 2 x 2 triangle in the xy plane and a 1 x 1 triangle in the xz plane share the edge 0-1; vertex 4
    // belongs to no triangle.
    const Mesh* mesh = process(
        loader, *scene(1, {{0, 0, 0}, {1, 0, 0}, {0, 2, 0}, {0, 0, -1}, {9, 9, 9}}, {{0, 1, 2}, {0, 1, 3}}));
    ASSERT_NE(mesh, nullptr);
    const glm::vec3 shared = glm::normalize(glm::vec3(0, 1, 2)); // area 1 towards +z, area 0.5 towards +y
    const std::vector<glm::vec3> expected{shared, shared, {0, 0, 1}, {0, 1, 0}, {0, 0, 0}};
    ASSERT_EQ(loader.normals.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(glm::distance(loader.normals[i], expected[i]), 0.0f, 1e-6f) << "vertex " << i;
}

// Attribute state of one location of a vertex array, read back from GL.
struct Attribute {
    GLint enabled = 0, size = 0, stride = 0, divisor = 0, buffer = 0;
    uintptr_t offset = 0;
    bool operator==(const Attribute& o) const {
        return enabled == o.enabled && size == o.size && stride == o.stride && divisor == o.divisor &&
               buffer == o.buffer && offset == o.offset;
    }
};

std::ostream& operator<<(std::ostream& out, const Attribute& a) {
    return out << "{enabled " << a.enabled << ", size " << a.size << ", stride " << a.stride << ", divisor "
               << a.divisor << ", buffer " << a.buffer << ", offset " << a.offset << "}";
}

std::vector<Attribute> attributes(uint32_t vertexArray, GLint* elementBuffer) {
    glBindVertexArray(vertexArray);
    std::vector<Attribute> result(8);
    for (GLuint i = 0; i < result.size(); ++i) {
        Attribute& a = result[i];
        glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &a.enabled);
        if (!a.enabled)
            continue;
        glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_SIZE, &a.size);
        glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &a.stride);
        glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_DIVISOR, &a.divisor);
        glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &a.buffer);
        void* pointer = nullptr;
        glGetVertexAttribPointerv(i, GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
        a.offset = reinterpret_cast<uintptr_t>(pointer);
        GLint type = 0, normalized = 1;
        glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_TYPE, &type);
        glGetVertexAttribiv(i, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &normalized);
        EXPECT_EQ(type, GL_FLOAT) << "attribute " << i;
        EXPECT_EQ(normalized, GL_FALSE) << "attribute " << i;
    }
    *elementBuffer = glInteger(GL_ELEMENT_ARRAY_BUFFER_BINDING);
    glBindVertexArray(0);
    return result;
}

void expectNothingLeftBound() {
    EXPECT_EQ(glInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(glInteger(GL_ARRAY_BUFFER_BINDING), 0);
    EXPECT_EQ(glInteger(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);
}

GLint name(uint32_t n) {
    return static_cast<GLint>(n);
}

// Model meshes and the particle plane are instanced (a mat4 in four locations, one step per instance);
// the quad is not.
TEST_F(MeshLoaderTest, VertexArraysHaveTheirLayouts) {
    ParticleLoader particles;
    Mesh* model = load("tri.obj", objTriangle());
    Mesh* plane = load(particles, "plane.obj", objTriangle());
    owned.push_back(std::make_unique<OwnedMesh>());
    Mesh* quad = owned.back()->mesh = loader.createQuad();
    ASSERT_NE(model, nullptr);
    ASSERT_NE(plane, nullptr);
    expectNothingLeftBound();
    const std::pair<const char*, Mesh*> meshes[] = {{"model", model}, {"plane", plane}, {"quad", quad}};
    for (const auto& [kind, mesh] : meshes) {
        SCOPED_TRACE(kind);
        const MeshBuffers& b = *mesh->buffers;
        std::vector<Attribute> expected{{1, 3, 12, 0, name(b.positionBuffer), 0}};
        if (mesh == model)
            expected.push_back({1, 3, 12, 0, name(b.normalBuffer), 0});
        else
            EXPECT_EQ(b.normalBuffer, 0u);
        expected.push_back({1, 2, 8, 0, name(b.texCoordBuffer), 0});
        if (mesh != quad)
            for (uintptr_t column = 0; column < 4; ++column)
                expected.push_back({1, 4, 64, 1, name(b.instanceBuffer), 16 * column});
        expected.resize(8);
        GLint elementBuffer = 0;
        EXPECT_EQ(attributes(b.vertexArray, &elementBuffer), expected);
        EXPECT_NE(b.indexBuffer, 0u);
        EXPECT_EQ(elementBuffer, name(b.indexBuffer));
    }
    EXPECT_EQ(quad->buffers->instanceBuffer, 0u);
    EXPECT_EQ(quad->instanceCount, 0);
    EXPECT_EQ(bufferContents<glm::vec3>(quad->buffers->positionBuffer),
              (std::vector<glm::vec3>{{-1, -1, 0}, {0, -1, 0}, {0, 0, 0}, {-1, 0, 0}}));
    EXPECT_EQ(bufferContents<glm::vec2>(quad->buffers->texCoordBuffer),
              (std::vector<glm::vec2>{{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
    EXPECT_EQ(bufferContents<uint32_t>(quad->buffers->indexBuffer), (Indices{0, 1, 2, 0, 2, 3}));
}

TEST_F(MeshLoaderTest, DestroyingAMeshLeavesNoBufferOrVertexArray) {
    ParticleLoader particles;
    tree.write("Resources/Meshes/tri.obj", objTriangle());
    const struct {
        std::string kind;
        Mesh* mesh;
    } cases[] = {{"model", loader.loadMesh("tri.obj", meshDirectory())},
                 {"particle", particles.loadMesh("tri.obj", meshDirectory())},
                 {"quad", loader.createQuad()}};
    for (const auto& c : cases) {
        ASSERT_NE(c.mesh, nullptr) << c.kind;
        const MeshBuffers b = *c.mesh->buffers;
        EXPECT_TRUE(glIsVertexArray(b.vertexArray)) << c.kind;
        EXPECT_TRUE(glIsBuffer(b.indexBuffer)) << c.kind;
        destroyMesh(c.mesh);
        EXPECT_FALSE(glIsVertexArray(b.vertexArray)) << c.kind;
        for (uint32_t buffer :
             {b.positionBuffer, b.normalBuffer, b.texCoordBuffer, b.indexBuffer, b.instanceBuffer})
            EXPECT_FALSE(glIsBuffer(buffer)) << c.kind << " buffer " << buffer;
    }
    destroyMesh(nullptr); // nothing to do, and no error
}

} // namespace
