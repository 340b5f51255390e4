// The committed resource tree through the engine's own catalogue, and texture loaders: every
// listed file loads without a word, and the scene finds every name it looks up.

#include "assets/ResourceCatalogue.h"
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
}
