#include "render/PhongPass.h"

#include "RenderTestSupport.h"
#include "assets/ShaderProgram.h"
#include "support/CoutCapture.h"

#include <glm/gtc/type_ptr.hpp>
#include <memory>

using namespace rendertest;

namespace {

const std::vector<std::string> PhongUniforms = {
    "light.position", "light.color", "light.constant", "light.linear", "light.quadratic", "diffuse",
    "shadow",         "view",        "projection",     "plane",        "camPos"};

std::vector<float> floats(const glm::mat4& m) {
    return std::vector<float>(glm::value_ptr(m), glm::value_ptr(m) + 16);
}
std::vector<float> floats(const glm::vec3& v) {
    return {v.x, v.y, v.z};
}

class PhongPassTest : public GlTest {
  protected:
    static constexpr int Width = 320;
    static constexpr int Height = 240;

    void SetUp() override {
        GlTest::SetUp();
        copyShaders(tree, {"Phong.vert", "Phong.frag"});
        glEnable(GL_DEPTH_TEST);
        glViewport(0, 0, Width, Height);
        glGenTextures(1, &cube);
        glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
        for (GLenum face = 0; face < 6; ++face)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT32, 4, 4, 0,
                         GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        floor.reset(createFloorSquare(2.0f));
        object = std::make_unique<PlacedObject>(floor->mesh, glm::mat4(1.0f));
    }
    void TearDown() override {
        object.reset();
        floor.reset();
        glDeleteTextures(1, &cube);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CLIP_DISTANCE0);
        GlTest::TearDown();
    }

    std::unique_ptr<PhongPass> buildPass() {
        const ScopedWorkingDirectory inWork(tree.work());
        return std::make_unique<PhongPass>();
    }

    TempTree tree;
    GLuint cube = 0; // cleared depth: nothing in shadow
    std::unique_ptr<TestMesh> floor;
    std::unique_ptr<PlacedObject> object;
    Camera camera = lookingCamera({0.0f, 4.0f, 3.0f}, {0.0f, 0.0f, 0.0f}, Width, Height);
    PointLight light = whiteLight({0.5f, 2.0f, 0.25f});
};

TEST_F(PhongPassTest, LooksUpItsElevenUniformsOnceRightAfterTheBuild) {
    GlCallLog log;
    const auto pass = buildPass();
    ASSERT_NE(pass->program, nullptr);
    EXPECT_EQ(log.uniformLookups, PhongUniforms);
    // Every uniform the pass feeds is one the shaders really use.
    for (const GLint location :
         {pass->lightPositionLocation, pass->lightColorLocation, pass->lightConstantLocation,
          pass->lightLinearLocation, pass->lightQuadraticLocation, pass->diffuseLocation,
          pass->shadowLocation, pass->viewLocation, pass->projectionLocation, pass->planeLocation,
          pass->camPosLocation})
        EXPECT_GE(location, 0);

    log.uniformLookups.clear();
    for (int frame = 0; frame < 3; ++frame) {
        pass->drawClipped(camera, light, *object, glm::vec4(0.0f, 1.0f, 0.0f, 0.5f));
        pass->drawShadowed(camera, light, *object, cube);
    }
    EXPECT_EQ(log.uniformLookups, std::vector<std::string>{});
}

TEST_F(PhongPassTest, FailedBuildDrawsNothingAndTouchesNoState) {
    struct Case {
        const char* what;
        std::function<void(const TempTree&)> breakFiles;
    };
    const Case cases[] = {
        {"fragment stage does not compile",
         [](const TempTree& t) {
             t.write("Resources/Shaders/Phong.frag", "#version 450 core\nvoid main() { x }\n");
         }},
        {"vertex file missing",
         [](const TempTree& t) { std::filesystem::remove(t.shaders() / "Phong.vert"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        copyShaders(tree, {"Phong.vert", "Phong.frag"});
        c.breakFiles(tree);
        std::unique_ptr<PhongPass> pass;
        {
            GlCallLog log;
            CoutCapture output;
            pass = buildPass();
            acceptCompilerMessages(output.text());
            EXPECT_NE(output.text().find("DELETING ERRONEOUS SHADER: Phong\n"), std::string::npos);
            EXPECT_EQ(log.uniformLookups, std::vector<std::string>{});
        }
        ASSERT_EQ(pass->program, nullptr);
        EXPECT_EQ(pass->viewLocation, -1);

        // Some state of the caller's that a draw would have to change.
        glActiveTexture(GL_TEXTURE3);
        glBindTexture(GL_TEXTURE_2D, floor->mesh.texture);
        GlCallLog log;
        pass->drawClipped(camera, light, *object, glm::vec4(0.0f, 1.0f, 0.0f, 0.0f));
        pass->drawShadowed(camera, light, *object, cube);
        EXPECT_EQ(log.calls, std::vector<std::string>{});
        EXPECT_EQ(object->drawCalls, 0);
        EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
        EXPECT_EQ(static_cast<GLuint>(glInteger(GL_TEXTURE_BINDING_2D)), floor->mesh.texture);
        glBindTexture(GL_TEXTURE_2D, 0);
        glActiveTexture(GL_TEXTURE0);
    }
}

TEST_F(PhongPassTest, SetsCameraAndLightBeforeTheObjectDrawsAndHandsItTheDiffuseLocation) {
    const auto pass = buildPass();
    ASSERT_NE(pass->program, nullptr);
    light.color = glm::vec3(0.9f, 0.2f, 0.1f);
    light.constant = 1.5f;
    light.linear = 0.25f;
    light.quadratic = 0.125f;
    const glm::vec4 plane(0.0f, -1.0f, 0.0f, -0.66558f);
    for (const bool shadowed : {false, true}) {
        SCOPED_TRACE(shadowed ? "drawShadowed" : "drawClipped");
        GlCallLog log;
        size_t uniformsBeforeDraw = 0;
        object->onDraw = [&] { uniformsBeforeDraw = log.uniforms.size(); };
        if (shadowed)
            pass->drawShadowed(camera, light, *object, cube);
        else
            pass->drawClipped(camera, light, *object, plane);

        const GLuint p = pass->program->program;
        using Values = std::vector<std::vector<float>>;
        EXPECT_EQ(log.valuesAt(p, pass->viewLocation), Values{floats(camera.view)});
        EXPECT_EQ(log.valuesAt(p, pass->projectionLocation), Values{floats(camera.projection)});
        EXPECT_EQ(log.valuesAt(p, pass->lightPositionLocation), Values{floats(light.position)});
        EXPECT_EQ(log.valuesAt(p, pass->lightColorLocation), Values{floats(light.color)});
        EXPECT_EQ(log.valuesAt(p, pass->camPosLocation), Values{floats(camera.position)});
        EXPECT_EQ(log.valuesAt(p, pass->lightConstantLocation), Values{{1.5f}});
        EXPECT_EQ(log.valuesAt(p, pass->lightLinearLocation), Values{{0.25f}});
        EXPECT_EQ(log.valuesAt(p, pass->lightQuadraticLocation), Values{{0.125f}});
        if (shadowed) {
            EXPECT_EQ(log.valuesAt(p, pass->shadowLocation), Values{{1.0f}});
            // A plane that keeps everything: some drivers clip even with clip distance 0 off.
            EXPECT_EQ(log.valuesAt(p, pass->planeLocation), (Values{{0.0f, 0.0f, 0.0f, 1.0f}}));
        } else {
            EXPECT_EQ(log.valuesAt(p, pass->shadowLocation), Values{});
            EXPECT_EQ(log.valuesAt(p, pass->planeLocation), (Values{{plane.x, plane.y, plane.z, plane.w}}));
        }
        EXPECT_EQ(log.count("glUniformMatrix4fv(transposed)"), 0u);
        // The object sets only its sampler: every uniform of the pass came before its draw.
        ASSERT_EQ(object->diffuseLocations.size(), 1u);
        EXPECT_EQ(object->diffuseLocations[0], pass->diffuseLocation);
        EXPECT_EQ(uniformsBeforeDraw + 1, log.uniforms.size());
        ASSERT_EQ(log.draws.size(), 1u);
        EXPECT_EQ(log.draws[0].program, p);
        EXPECT_EQ(log.draws[0].cubeOnUnit1, shadowed ? cube : 0u);
        object->diffuseLocations.clear();
    }
}

TEST_F(PhongPassTest, DrawShadowedLeavesUnitZeroActiveNoProgramAndNoCubeMapOnUnitOne) {
    const auto pass = buildPass();
    ASSERT_NE(pass->program, nullptr);
    pass->drawShadowed(camera, light, *object, cube);
    EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
    glActiveTexture(GL_TEXTURE1);
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_CUBE_MAP), 0);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(glInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);
}

// The water images clip with the plane; the final image, drawn after them, must not inherit the cut.
TEST_F(PhongPassTest, ClipPlaneCutsTheWaterImagesButNotTheFinalImage) {
    const auto pass = buildPass();
    ASSERT_NE(pass->program, nullptr);
    const glm::vec3 nearSide(0.0f, 0.0f, 1.5f); // z > 0
    const glm::vec3 farSide(0.0f, 0.0f, -1.5f); // z < 0
    const glm::vec4 keepFarSide(0.0f, 0.0f, -1.0f, 0.0f);

    glEnable(GL_CLIP_DISTANCE0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    pass->drawClipped(camera, light, *object, keepFarSide);
    EXPECT_EQ(pixelAt(camera, nearSide, Width, Height), glm::u8vec4(0, 0, 0, 0));
    EXPECT_NE(pixelAt(camera, farSide, Width, Height), glm::u8vec4(0, 0, 0, 0));
    glDisable(GL_CLIP_DISTANCE0);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    pass->drawShadowed(camera, light, *object, cube);
    EXPECT_NE(pixelAt(camera, nearSide, Width, Height), glm::u8vec4(0, 0, 0, 0));
    EXPECT_NE(pixelAt(camera, farSide, Width, Height), glm::u8vec4(0, 0, 0, 0));
}

// A black light adds nothing, yet the surface keeps an ambient share of its texture; a white light
// brightens it, more where it meets the surface head-on.
TEST_F(PhongPassTest, AmbientKeepsTheSceneVisibleUnderABlackLight) {
    const auto pass = buildPass();
    ASSERT_NE(pass->program, nullptr);
    const glm::vec3 underLight(0.5f, 0.0f, 0.25f);
    const glm::vec3 aside(-1.8f, 0.0f, -1.8f);
    const auto draw = [&](const glm::vec3& colour) {
        light.color = colour;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        pass->drawShadowed(camera, light, *object, cube);
    };

    draw(glm::vec3(0.0f));
    const glm::u8vec4 darkUnder = pixelAt(camera, underLight, Width, Height);
    const glm::u8vec4 darkAside = pixelAt(camera, aside, Width, Height);
    EXPECT_GT(darkUnder.r, 40);
    EXPECT_LT(darkUnder.r, 120);
    EXPECT_EQ(darkUnder, darkAside); // no light: the same everywhere

    draw(glm::vec3(1.0f));
    const glm::u8vec4 litUnder = pixelAt(camera, underLight, Width, Height);
    const glm::u8vec4 litAside = pixelAt(camera, aside, Width, Height);
    EXPECT_GT(litUnder.r, 240);
    EXPECT_GT(litAside.r, darkAside.r + 40);
    EXPECT_LT(litAside.r, litUnder.r);
}

} // namespace
