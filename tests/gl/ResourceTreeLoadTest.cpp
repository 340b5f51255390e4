// The committed resource tree through the engine's own catalogue, texture and cube-map loaders: every
// listed file loads without a word, and the scene finds every name it looks up.

#include "assets/ResourceCatalogue.h"
#include "assets/Texture.h"
#include "support/CoutCapture.h"
#include "support/GlTest.h"
#include "support/TempTree.h"

namespace {

// Runs from a copy of the repository's Textures and Meshes, from the working folder beside them, as
// the demo does, and leaves both tables empty again.
class ResourceTreeLoadTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        tree.copyFromRepository("Textures");
        tree.copyFromRepository("Meshes");
    }
    void TearDown() override {
        releaseTextures();
        releaseMeshes();
        GlTest::TearDown();
    }

    TempTree tree;
    ScopedWorkingDirectory inWork{tree.work()};
};

} // namespace

TEST_F(ResourceTreeLoadTest, EveryModelTheSceneLooksUpLoadsWithItsTexture) {
    CoutCapture capture;
    loadTextureCatalogue("Textures", "../Resources/Textures/");
    loadMeshCatalogue("Meshes", "../Resources/Meshes/");
    EXPECT_EQ(capture.text(), "") << "no load errors, no skipped lines";

    EXPECT_NE(findTexture("dudv.png"), 0u);
    EXPECT_NE(findTexture("normalmap.png"), 0u);
    for (const std::string name : {"lava.dae", "meteor.dae", "map.dae", "house.obj", "bridge.dae",
                                   "monkey.dae", "monkey2.dae", "monkey3.dae", "water.dae", "plane.obj"}) {
        SCOPED_TRACE(name);
        const Mesh* mesh = findMesh(name);
        ASSERT_NE(mesh, nullptr);
        EXPECT_NE(mesh->texture, 0u) << "the material's texture is in the texture table";
        EXPECT_GE(mesh->instanceCount, 1);
        EXPECT_EQ(mesh->instanceCount, static_cast<int32_t>(mesh->instanceTransforms.size()));
        ASSERT_NE(mesh->buffers, nullptr);
        EXPECT_GT(mesh->buffers->indexCount, 0);
        EXPECT_EQ(mesh->buffers->indexCount % 3, 0);
    }
    EXPECT_GT(findMesh("monkey.dae")->instanceCount, 1) << "a ring of heads, one instanced draw";
    EXPECT_EQ(findMesh("plane.obj")->buffers->normalBuffer, 0u) << "the particle layout, not a listed mesh";

    // The orb's home: the lava model's first instance applied to its centre, above the plaza.
    const Mesh* lava = findMesh("lava.dae");
    const glm::vec4 home = lava->instanceTransforms[0] * glm::vec4(lava->center, 1.0f);
    EXPECT_NEAR(home.x, 0.0f, 1e-3f);
    EXPECT_NEAR(home.z, 0.0f, 1e-3f);
    EXPECT_GT(home.y, 2.0f);
}

TEST_F(ResourceTreeLoadTest, TheSixStarfieldFacesMakeACompleteCubeMap) {
    CoutCapture capture;
    const CubeMap cube =
        loadCubeMap("../Resources/Textures", {"/starfield_rt.JPG", "/starfield_lf.JPG", "/starfield_up.JPG",
                                              "/starfield_dn.JPG", "/starfield_bk.JPG", "/starfield_ft.JPG"});
    EXPECT_EQ(capture.text(), "");
    ASSERT_NE(cube, 0u);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    GLint size = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0, GL_TEXTURE_WIDTH, &size);
    EXPECT_GT(size, 0);
    for (GLenum face = GL_TEXTURE_CUBE_MAP_POSITIVE_X; face <= GL_TEXTURE_CUBE_MAP_NEGATIVE_Z; ++face) {
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(face, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(face, 0, GL_TEXTURE_HEIGHT, &height);
        EXPECT_EQ(width, size);
        EXPECT_EQ(height, size);
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDeleteTextures(1, &cube);
}
