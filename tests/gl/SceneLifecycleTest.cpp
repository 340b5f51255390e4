#include "CoutCapture.h"
#include "GlTest.h"
#include "TempTree.h"
#include "assets/ResourceCatalogue.h"
#include "render/Skybox.h"
#include "render/WaterTargets.h"
#include "scene/Meteor.h"
#include "scene/Orb.h"
#include "scene/Scene.h"

#include <memory>
#include <string>
#include <vector>

namespace {

// Runs from a folder beside the repository's Resources, so that "../Resources/..." is the real tree.
class SceneLifecycleTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        workingDirectory = std::make_unique<ScopedWorkingDirectory>(repositoryRoot() / "tests");
    }
    void TearDown() override {
        workingDirectory.reset();
        GlTest::TearDown();
    }

    std::unique_ptr<ScopedWorkingDirectory> workingDirectory;
};

TEST_F(SceneLifecycleTest, AssemblesTheFixedWorldFromTheResourceTree) {
    CoutCapture output;
    auto scene = std::make_unique<Scene>(800, 600);

    EXPECT_EQ(output.text(), ""); // the real tree loads without a message
    ASSERT_EQ(scene->effects.size(), 2u);
    EXPECT_NE(dynamic_cast<Orb*>(scene->effects[0].get()), nullptr);
    EXPECT_NE(dynamic_cast<Meteor*>(scene->effects[1].get()), nullptr);
    ASSERT_NE(scene->emitter, nullptr);
    EXPECT_EQ(scene->emitter->mesh, findMesh("plane.obj"));
    const char* const plain[] = {"map.dae",    "house.obj",   "bridge.dae",
                                 "monkey.dae", "monkey2.dae", "monkey3.dae"};
    ASSERT_EQ(scene->drawList.size(), 7u);
    EXPECT_EQ(scene->drawList[0], nullptr);
    for (std::size_t i = 0; i < 6; ++i) {
        ASSERT_NE(scene->drawList[i + 1], nullptr) << plain[i];
        EXPECT_EQ(scene->drawList[i + 1]->mesh, findMesh(plain[i]));
    }
    ASSERT_EQ(scene->waterSurfaces.size(), 1u);
    EXPECT_EQ(scene->waterSurfaces[0].mesh, findMesh("water.dae"));
    EXPECT_NE(scene->skybox, nullptr);
    EXPECT_NE(scene->renderer, nullptr);
    EXPECT_EQ(scene->currentLight, nullptr);
    EXPECT_EQ(scene->camera.position, glm::vec3(0.0f, 5.0f, 12.0f));
}

TEST_F(SceneLifecycleTest, TheCameraTakesTheWindowsAspectAndTheWaterImagesStayFixed) {
    struct Case {
        int32_t width;
        int32_t height;
        float aspect;
    };
    const Case cases[] = {{1280, 720, 1.7777778f}, {800, 600, 1.3333334f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        Scene scene(c.width, c.height);
        EXPECT_FLOAT_EQ(scene.camera.aspect, c.aspect);
        ASSERT_NE(scene.waterTargets, nullptr);
        const WaterTargets& targets = *scene.waterTargets;
        EXPECT_EQ(targets.reflectionWidth, 640u);
        EXPECT_EQ(targets.reflectionHeight, 480u);
        EXPECT_EQ(targets.refractionWidth, 640u);
        EXPECT_EQ(targets.refractionHeight, 480u);
        EXPECT_EQ(targets.screenWidth, static_cast<uint32_t>(c.width));
        EXPECT_EQ(targets.screenHeight, static_cast<uint32_t>(c.height));
    }
}

TEST_F(SceneLifecycleTest, ReleaseLeavesNoObjectOfTheCatalogueOrTheWaterTargets) {
    std::vector<GLuint> textures, buffers, vertexArrays, framebuffers, renderbuffers;
    {
        Scene scene(800, 600);
        for (const auto& entry : textureTable())
            textures.push_back(entry.second);
        for (const auto& entry : meshTable()) {
            if (!entry.second)
                continue;
            const MeshBuffers& b = *entry.second->buffers;
            for (GLuint name :
                 {b.positionBuffer, b.normalBuffer, b.texCoordBuffer, b.indexBuffer, b.instanceBuffer})
                if (name != 0)
                    buffers.push_back(name);
            vertexArrays.push_back(b.vertexArray);
        }
        const WaterTargets& t = *scene.waterTargets;
        framebuffers = {t.reflectionFramebuffer, t.refractionFramebuffer};
        textures.insert(textures.end(), {t.reflectionColour, t.refractionColour, t.refractionDepth});
        renderbuffers = {t.reflectionDepthBuffer};
        ASSERT_FALSE(textures.empty());
        ASSERT_FALSE(buffers.empty());
        for (GLuint name : framebuffers)
            ASSERT_TRUE(glIsFramebuffer(name));
    }

    for (GLuint name : textures)
        EXPECT_FALSE(glIsTexture(name)) << "texture " << name;
    for (GLuint name : buffers)
        EXPECT_FALSE(glIsBuffer(name)) << "buffer " << name;
    for (GLuint name : vertexArrays)
        EXPECT_FALSE(glIsVertexArray(name)) << "vertex array " << name;
    for (GLuint name : framebuffers)
        EXPECT_FALSE(glIsFramebuffer(name)) << "framebuffer " << name;
    for (GLuint name : renderbuffers)
        EXPECT_FALSE(glIsRenderbuffer(name)) << "render buffer " << name;
    EXPECT_TRUE(textureTable().empty());
    EXPECT_TRUE(meshTable().empty());
}

} // namespace
