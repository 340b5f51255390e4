#include "render/WaterPass.h"

#include "EffectsGl.h"
#include "app/Automation.h"
#include "assets/Mesh.h"
#include "assets/ResourceCatalogue.h"
#include "assets/ShaderProgram.h"
#include "render/WaterSurface.h"
#include "render/WaterTargets.h"
#include "scene/Camera.h"
#include "scene/PointLight.h"
#include "support/CoutCapture.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

namespace {

using effects::describe;
using effects::readPixel;

constexpr int Size = 64; // of the test image and of both water images

// A flat map: du/dv 0.5 is no distortion, normal (0.5, 0.5, 1) points straight up.
GLuint flatTexture(glm::u8vec4 rgba) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, &rgba);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// A 100 x 100 sheet at the water height in the model layout, placed by the given instance transforms.
Mesh* waterSheet(const std::vector<glm::mat4>& placements) {
    MeshLoader loader;
    const float y = WaterHeight;
    loader.positions = {{-50.0f, y, 50.0f}, {50.0f, y, 50.0f}, {50.0f, y, -50.0f}, {-50.0f, y, -50.0f}};
    loader.normals.assign(4, glm::vec3(0.0f, 1.0f, 0.0f));
    loader.texCoords = {{0.0f, 0.0f}, {25.0f, 0.0f}, {25.0f, 25.0f}, {0.0f, 25.0f}};
    loader.indices = {0, 1, 2, 0, 2, 3};
    Mesh* mesh = new Mesh();
    mesh->buffers = loader.createBuffers();
    mesh->instanceTransforms = placements;
    mesh->instanceCount = static_cast<int32_t>(placements.size());
    return mesh;
}

void clearTarget(GLuint framebuffer, const glm::vec4& lower, const glm::vec4& upper, float depth) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, Size, Size);
    glClearDepth(depth);
    glEnable(GL_SCISSOR_TEST);
    for (const auto& [colour, y] : {std::pair{lower, 0}, std::pair{upper, Size / 2}}) {
        glScissor(0, y, Size, Size / 2);
        glClearColor(colour.r, colour.g, colour.b, colour.a);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
    glClearDepth(1.0);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}

class WaterPassTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        // The ripple reads the engine clock, which is the windowing library's timer in these tests.
        if (automation().timestep)
            GTEST_SKIP() << "DEMO_TIMESTEP replaces the timer these tests set";
        dudv = flatTexture({128, 128, 0, 255});
        normals = flatTexture({128, 128, 255, 255});
        textureTable()["dudv.png"] = dudv;
        textureTable()["normalmap.png"] = normals;
        targets = createWaterTargets(Size, Size, Size, Size, Size, Size);
        camera.refreshView();
    }

    void TearDown() override {
        if (!automation().timestep) {
            textureTable().erase("dudv.png");
            textureTable().erase("normalmap.png");
            glDeleteTextures(1, &dudv);
            glDeleteTextures(1, &normals);
            destroyWaterTargets(targets);
            destroyMesh(mesh);
            glActiveTexture(GL_TEXTURE0);
        }
        GlTest::TearDown();
    }

    effects::ShaderTree tree;
    GLuint dudv = 0;
    GLuint normals = 0;
    WaterTargets* targets = nullptr;
    Mesh* mesh = nullptr;
    Camera camera{glm::vec3(0.0f, 5.0f, 12.0f), 1.0f};
    PointLight darkLight{glm::vec3(0.0f, 3.0f, 0.0f), glm::vec3(0.0f), 1.0f, 0.0f, 0.0f};
};

TEST_F(WaterPassTest, SurfaceTakesItsMapsFromTheCatalogueAndZeroWhenAbsent) {
    const WaterSurface surface(nullptr);
    EXPECT_EQ(surface.dudvTexture, dudv);
    EXPECT_EQ(surface.normalTexture, normals);
    textureTable().erase("normalmap.png");
    EXPECT_EQ(WaterSurface(nullptr).normalTexture, 0u);
}

TEST_F(WaterPassTest, DrawBindsTheFiveImagesAndLeavesUnitZeroEmptyAndNoProgram) {
    mesh = waterSheet({glm::mat4(1.0f)});
    WaterSurface surface(mesh);
    surface.update();
    WaterPass pass;
    ASSERT_NE(pass.program, nullptr);
    for (const GLint location :
         {pass.viewLocation, pass.projectionLocation, pass.reflectionLocation, pass.refractionLocation,
          pass.dudvMapLocation, pass.offsetLocation, pass.cameraPosLocation, pass.normalMapLocation,
          pass.depthMapLocation, pass.lightPositionLocation, pass.lightColLocation})
        EXPECT_GE(location, 0) << "every uniform of the water is used by its shaders";

    effects::OffscreenTarget image(Size, Size);
    glActiveTexture(GL_TEXTURE2);
    pass.draw(camera, darkLight, surface, *targets);

    EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(glInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(glInteger(GL_ARRAY_BUFFER_BINDING), 0);
    // Units 1 to 4 keep what the draw bound.
    const GLuint expected[] = {targets->refractionColour, dudv, normals, targets->refractionDepth};
    for (GLenum unit = 1; unit <= 4; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), static_cast<GLint>(expected[unit - 1]))
            << "unit " << unit;
    }
    glActiveTexture(GL_TEXTURE0);

    GLint samplers[5] = {};
    const GLint locations[5] = {pass.reflectionLocation, pass.refractionLocation, pass.dudvMapLocation,
                                pass.normalMapLocation, pass.depthMapLocation};
    for (int i = 0; i < 5; ++i) {
        glGetUniformiv(pass.program->program, locations[i], &samplers[i]);
        EXPECT_EQ(samplers[i], i);
    }
}

TEST_F(WaterPassTest, UploadsAndDrawsExactlyTheListedInstances) {
    // The second copy lies far off screen; only the count matters here.
    mesh = waterSheet({glm::mat4(1.0f), glm::translate(glm::mat4(1.0f), glm::vec3(500.0f, 0.0f, 0.0f))});
    WaterSurface surface(mesh);
    WaterPass pass;
    ASSERT_NE(pass.program, nullptr);
    effects::OffscreenTarget image(Size, Size);

    // Before the first update the list is empty: nothing may be read from it.
    effects::PrimitiveCounter beforeUpdate;
    pass.draw(camera, darkLight, surface, *targets);
    EXPECT_EQ(beforeUpdate.finish(), 0u);

    surface.update();
    ASSERT_EQ(surface.instances.size(), 2u);
    effects::PrimitiveCounter afterUpdate;
    pass.draw(camera, darkLight, surface, *targets);
    EXPECT_EQ(afterUpdate.finish(), 4u);
    GLint size = 0;
    glBindBuffer(GL_ARRAY_BUFFER, mesh->buffers->instanceBuffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(size, 2 * 64);
}

// The clock is set by hand: a first draw long after start-up, later draws, and two surfaces.
TEST_F(WaterPassTest, RippleAdvancesPerSurfaceOnTheEngineClock) {
    mesh = waterSheet({glm::mat4(1.0f)});
    WaterSurface first(mesh);
    WaterSurface second(mesh);
    first.update();
    second.update();
    WaterPass pass;
    ASSERT_NE(pass.program, nullptr);
    effects::OffscreenTarget image(Size, Size);
    const double savedTime = glfwGetTime();
    const auto drawnOffset = [&](WaterSurface& surface) {
        pass.draw(camera, darkLight, surface, *targets);
        float offset = -1.0f;
        glGetUniformfv(pass.program->program, pass.offsetLocation, &offset);
        EXPECT_EQ(offset, surface.rippleOffset) << "the program gets the advanced offset";
        return offset;
    };

    // 0.02 x 5000.25 s = 100.005: a first step of well over an hour still lands in [0, 1).
    glfwSetTime(5000.25);
    EXPECT_NEAR(drawnOffset(first), 0.005f, 1e-3f);
    glfwSetTime(5010.25);
    EXPECT_NEAR(drawnOffset(first), 0.205f, 1e-3f);
    // The second surface's first step starts from its own zero, not from the first surface's reading.
    EXPECT_NEAR(drawnOffset(second), 0.205f, 1e-3f);
    glfwSetTime(5015.25);
    EXPECT_NEAR(drawnOffset(second), 0.305f, 1e-3f);
    EXPECT_NEAR(first.rippleOffset, 0.205f, 1e-3f);
    glfwSetTime(savedTime);
}

TEST_F(WaterPassTest, FailedProgramNeitherDrawsNorAdvancesTheRipple) {
    std::filesystem::remove(tree.tree().shaders() / "Water.vert");
    mesh = waterSheet({glm::mat4(1.0f)});
    WaterSurface surface(mesh);
    surface.update();
    CoutCapture output;
    WaterPass pass;
    EXPECT_EQ(output.text(),
              "ERROR OPENING FILE: ../Resources/Shaders/Water.vert\nDELETING ERRONEOUS SHADER: Water\n");
    ASSERT_EQ(pass.program, nullptr);
    effects::OffscreenTarget image(Size, Size);
    effects::PrimitiveCounter triangles;
    pass.draw(camera, darkLight, surface, *targets);
    EXPECT_EQ(triangles.finish(), 0u);
    EXPECT_EQ(surface.rippleOffset, 0.0f);
    EXPECT_EQ(surface.lastTime, 0.0f);
}

// The look, with flat maps and a dark light: the reflection image is green in its upper half and red in
// its lower half, the refraction image blue. A point low in the picture must take its reflection from
// the upper half (the mirrored camera stands upright), and deep water covers what was drawn before while
// water with the ground right at its surface lets it show through.
TEST_F(WaterPassTest, SamplesTheReflectionFlippedAndFadesWhereTheGroundMeetsTheSurface) {
    mesh = waterSheet({glm::mat4(1.0f)});
    WaterSurface surface(mesh);
    surface.update();
    WaterPass pass;
    ASSERT_NE(pass.program, nullptr);
    const glm::vec4 red(1, 0, 0, 1), green(0, 1, 0, 1), blue(0, 0, 1, 1);
    clearTarget(targets->reflectionFramebuffer, red, green, 1.0f);

    const auto drawWater = [&](float groundDepth) {
        clearTarget(targets->refractionFramebuffer, blue, blue, groundDepth);
        effects::OffscreenTarget image(Size, Size);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f); // what lies behind the water: white
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        pass.draw(camera, darkLight, surface, *targets);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        return readPixel(Size / 2, Size / 4);
    };

    const glm::ivec4 deep = drawWater(1.0f);
    EXPECT_GT(deep.g, deep.r + 40) << "reflection taken from the wrong half: " << describe(deep);
    EXPECT_GT(deep.b, 40) << "no refraction in the mix: " << describe(deep);
    EXPECT_LT(deep.r, 100) << "the white background shows through deep water: " << describe(deep);

    const glm::ivec4 dry = drawWater(0.0f);
    EXPECT_TRUE(effects::near(dry, glm::ivec4(255, 255, 255, 255), 3))
        << "water with no depth must be fully transparent: " << describe(dry);
}

} // namespace
