#include "render/ShadowPass.h"

#include "RenderTestSupport.h"
#include "assets/ShaderProgram.h"
#include "render/ShadowCubeMap.h"
#include "support/CoutCapture.h"

#include <glm/gtc/type_ptr.hpp>
#include <memory>

using namespace rendertest;

namespace {

const std::vector<std::string> ShadowUniforms = {
    "shadowMatrices[0]", "shadowMatrices[1]", "shadowMatrices[2]", "shadowMatrices[3]",
    "shadowMatrices[4]", "shadowMatrices[5]", "lightPos"};

// The depth the Shadow program stores and the Phong program compares: distance to the light over 50.
constexpr float ShadowRange = 50.0f;

class ShadowPassTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        copyShaders(tree, {"Shadow.vert", "Shadow.geom", "Shadow.frag"});
        glEnable(GL_DEPTH_TEST);
        square.reset(createFloorSquare(1.0f));
    }
    void TearDown() override {
        square.reset();
        glDisable(GL_DEPTH_TEST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, 320, 240);
        GlTest::TearDown();
    }

    std::unique_ptr<ShadowPass> buildPass() {
        const ScopedWorkingDirectory inWork(tree.work());
        return std::make_unique<ShadowPass>();
    }

    // The depth stored at the centre texel of one face, after clearing and drawing `object` into the cube.
    float centreDepthAfterDrawing(ShadowPass& pass, ShadowCubeMap& cubeMap, SceneObject& object,
                                  GLenum face) {
        glBindFramebuffer(GL_FRAMEBUFFER, cubeMap.framebuffer);
        glViewport(0, 0, cubeMap.width, cubeMap.height);
        glClear(GL_DEPTH_BUFFER_BIT);
        pass.draw(light, object);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        std::vector<float> depths(static_cast<size_t>(cubeMap.width * cubeMap.height));
        glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap.cubeTexture);
        glGetTexImage(face, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        return depths[static_cast<size_t>(cubeMap.height / 2 * cubeMap.width + cubeMap.width / 2)];
    }

    TempTree tree;
    std::unique_ptr<TestMesh> square;
    PointLight light = whiteLight({0.0f, 3.0f, 0.0f});
};

TEST_F(ShadowPassTest, LooksUpTheSixFaceMatricesThenLightPosOnce) {
    GlCallLog log;
    const auto pass = buildPass();
    ASSERT_NE(pass->program, nullptr);
    EXPECT_EQ(log.uniformLookups, ShadowUniforms);
    ASSERT_EQ(pass->faceMatrixLocations.size(), 6u);
    for (const GLint location : pass->faceMatrixLocations)
        EXPECT_GE(location, 0);
    EXPECT_GE(pass->lightPosLocation, 0);

    log.uniformLookups.clear();
    PlacedObject object(square->mesh, glm::mat4(1.0f));
    for (int frame = 0; frame < 3; ++frame)
        pass->draw(light, object);
    EXPECT_EQ(log.uniformLookups, std::vector<std::string>{});
}

TEST_F(ShadowPassTest, FailedBuildDrawsNothingAndTouchesNoState) {
    struct Case {
        const char* what;
        std::function<void(const TempTree&)> breakFiles;
    };
    const Case cases[] = {
        {"geometry stage does not compile",
         [](const TempTree& t) {
             t.write("Resources/Shaders/Shadow.geom", "#version 450 core\nvoid main() { x }\n");
         }},
        {"geometry file missing",
         [](const TempTree& t) { std::filesystem::remove(t.shaders() / "Shadow.geom"); }},
    };
    PlacedObject object(square->mesh, glm::mat4(1.0f));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        copyShaders(tree, {"Shadow.vert", "Shadow.geom", "Shadow.frag"});
        c.breakFiles(tree);
        std::unique_ptr<ShadowPass> pass;
        {
            CoutCapture output;
            pass = buildPass();
            acceptCompilerMessages(output.text());
            EXPECT_NE(output.text().find("DELETING ERRONEOUS SHADER: Shadow\n"), std::string::npos);
        }
        ASSERT_EQ(pass->program, nullptr);
        EXPECT_TRUE(pass->faceMatrixLocations.empty());
        GlCallLog log;
        pass->draw(light, object);
        EXPECT_EQ(log.calls, std::vector<std::string>{});
    }
}

TEST_F(ShadowPassTest, FaceMatricesLookAlongTheCubeAxesWithTheCubeMapUpVectors) {
    const glm::vec3 at(1.0f, 2.0f, -3.0f);
    const auto faces = shadowFaceMatrices(light.shadowCamera.projection, at);
    struct Expected {
        glm::vec3 direction;
        glm::vec3 up;
    };
    const Expected expected[6] = {{{1, 0, 0}, {0, -1, 0}}, {{-1, 0, 0}, {0, -1, 0}},
                                  {{0, 1, 0}, {0, 0, 1}},  {{0, -1, 0}, {0, 0, -1}},
                                  {{0, 0, 1}, {0, -1, 0}}, {{0, 0, -1}, {0, -1, 0}}};
    for (int face = 0; face < 6; ++face) {
        SCOPED_TRACE(face);
        const auto ndc = [&](const glm::vec3& offset) {
            const glm::vec4 clip = faces[face] * glm::vec4(at + offset, 1.0f);
            return glm::vec3(clip) / clip.w;
        };
        // Straight ahead lands in the middle of the face, the up vector towards its top edge.
        const glm::vec3 ahead = ndc(2.0f * expected[face].direction);
        EXPECT_NEAR(ahead.x, 0.0f, 1e-5f);
        EXPECT_NEAR(ahead.y, 0.0f, 1e-5f);
        EXPECT_GT(ahead.z, -1.0f);
        EXPECT_LT(ahead.z, 1.0f);
        const glm::vec3 above = ndc(2.0f * expected[face].direction + 0.5f * expected[face].up);
        EXPECT_NEAR(above.x, 0.0f, 1e-5f);
        EXPECT_NEAR(above.y, 0.25f, 1e-5f);
    }
}

TEST_F(ShadowPassTest, UploadsTheFaceMatricesOfTheLightAsItIsAtEachDraw) {
    const auto pass = buildPass();
    ASSERT_NE(pass->program, nullptr);
    PlacedObject object(square->mesh, glm::mat4(1.0f));
    const GLuint program = pass->program->program;
    for (const glm::vec3& position : {glm::vec3(0.0f, 3.0f, 0.0f), glm::vec3(-2.0f, 5.0f, 1.0f)}) {
        light.position = position;
        light.shadowCamera.projection =
            glm::perspective(glm::radians(90.0f), 1.0f, 0.01f, position.y * 10.0f);
        GlCallLog log;
        pass->draw(light, object);
        const auto faces = shadowFaceMatrices(light.shadowCamera.projection, position);
        for (size_t face = 0; face < 6; ++face) {
            const auto uploads = log.valuesAt(program, pass->faceMatrixLocations[face]);
            ASSERT_EQ(uploads.size(), 1u);
            EXPECT_EQ(uploads[0],
                      std::vector<float>(glm::value_ptr(faces[face]), glm::value_ptr(faces[face]) + 16));
        }
        EXPECT_EQ(log.valuesAt(program, pass->lightPosLocation),
                  (std::vector<std::vector<float>>{{position.x, position.y, position.z}}));
        EXPECT_EQ(pass->lightProjection, light.shadowCamera.projection);
        EXPECT_EQ(log.count("glUniformMatrix4fv(transposed)"), 0u);
    }
    EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(glInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(glInteger(GL_ARRAY_BUFFER_BINDING), 0);
}

// What both programs rely on: the cube holds the distance to the light over 50, nearest caster first,
// in the face that looks at it, and the cleared depth where nothing was drawn.
TEST_F(ShadowPassTest, StoresDistanceToTheLightOverFiftyInTheFaceThatSeesTheCaster) {
    const auto pass = buildPass();
    ASSERT_NE(pass->program, nullptr);
    ShadowCubeMap* cubeMap = createShadowCubeMap();
    const glm::mat4 oneBelowTheLight = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 2.0f, 0.0f));
    PlacedObject nearer(square->mesh, oneBelowTheLight);
    EXPECT_NEAR(centreDepthAfterDrawing(*pass, *cubeMap, nearer, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y),
                1.0f / ShadowRange, 1e-5f);
    EXPECT_EQ(centreDepthAfterDrawing(*pass, *cubeMap, nearer, GL_TEXTURE_CUBE_MAP_POSITIVE_Y), 1.0f);

    // Two instances in one draw, the farther one first: the nearer one's distance is kept.
    PlacedObject twoCasters(square->mesh, glm::mat4(1.0f));
    twoCasters.instances.push_back(oneBelowTheLight);
    square->mesh.instanceCount = 2;
    EXPECT_NEAR(centreDepthAfterDrawing(*pass, *cubeMap, twoCasters, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y),
                1.0f / ShadowRange, 1e-5f);
    square->mesh.instanceCount = 1;
    destroyShadowCubeMap(cubeMap);
}

TEST_F(ShadowPassTest, DrawsAtMostTheMatricesTheObjectHolds) {
    const auto pass = buildPass();
    ASSERT_NE(pass->program, nullptr);
    square->mesh.instanceCount = 3; // the model places the shape three times; the object built one matrix
    PlacedObject object(square->mesh, glm::mat4(1.0f));
    GlCallLog log;
    pass->draw(light, object);
    ASSERT_EQ(log.draws.size(), 1u);
    EXPECT_EQ(log.draws[0].instances, 1);
    EXPECT_EQ(log.count("glBufferData"), 2u); // orphaned, then filled
    square->mesh.instanceCount = 1;
}

TEST(ShadowCubeMapTest, IsALayeredDepthCubeOf1024SquareFaces) {
    GlTest::window();
    CoutCapture output;
    ShadowCubeMap* cubeMap = createShadowCubeMap();
    EXPECT_EQ(output.text(), "");
    EXPECT_EQ(cubeMap->width, 1024);
    EXPECT_EQ(cubeMap->height, 1024);
    EXPECT_EQ(glInteger(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_CUBE_MAP), 0);

    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap->cubeTexture);
    for (GLenum face = 0; face < 6; ++face) {
        GLint width = 0, height = 0, format = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_TEXTURE_HEIGHT, &height);
        glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_TEXTURE_INTERNAL_FORMAT,
                                 &format);
        EXPECT_EQ(width, 1024);
        EXPECT_EQ(height, 1024);
        EXPECT_EQ(format, GL_DEPTH_COMPONENT32);
    }
    for (const auto& [name, value] : {std::pair{GL_TEXTURE_MIN_FILTER, GL_NEAREST},
                                      {GL_TEXTURE_MAG_FILTER, GL_NEAREST},
                                      {GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE},
                                      {GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE},
                                      {GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE}}) {
        GLint actual = 0;
        glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, name, &actual);
        EXPECT_EQ(actual, value);
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);

    glBindFramebuffer(GL_FRAMEBUFFER, cubeMap->framebuffer);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    GLint layered = 0, attached = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                          GL_FRAMEBUFFER_ATTACHMENT_LAYERED, &layered);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &attached);
    EXPECT_EQ(layered, GL_TRUE);
    EXPECT_EQ(static_cast<GLuint>(attached), cubeMap->cubeTexture);
    EXPECT_EQ(glInteger(GL_DRAW_BUFFER), GL_NONE);
    EXPECT_EQ(glInteger(GL_READ_BUFFER), GL_NONE);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    const GLuint texture = cubeMap->cubeTexture;
    const GLuint framebuffer = cubeMap->framebuffer;
    destroyShadowCubeMap(cubeMap);
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_FALSE(glIsFramebuffer(framebuffer));
    EXPECT_EQ(drainGlErrors(), std::vector<std::string>{});
}

PFNGLCHECKFRAMEBUFFERSTATUSPROC realCheckFramebufferStatus = nullptr;
GLenum GLAPIENTRY refuseFramebuffer(GLenum) {
    return GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT;
}

TEST(ShadowCubeMapTest, IncompleteTargetIsReportedOnceAndUsedAnyway) {
    GlTest::window();
    realCheckFramebufferStatus = __glewCheckFramebufferStatus;
    __glewCheckFramebufferStatus = refuseFramebuffer;
    CoutCapture output;
    ShadowCubeMap* cubeMap = createShadowCubeMap();
    __glewCheckFramebufferStatus = realCheckFramebufferStatus;
    EXPECT_EQ(output.text(), "ERROR: FRAMEBUFFER NOT COMPLETE\n");
    ASSERT_NE(cubeMap, nullptr);
    EXPECT_NE(cubeMap->framebuffer, 0u);
    EXPECT_NE(cubeMap->cubeTexture, 0u);
    EXPECT_EQ(glInteger(GL_FRAMEBUFFER_BINDING), 0);
    destroyShadowCubeMap(cubeMap);
    EXPECT_EQ(drainGlErrors(), std::vector<std::string>{});
}

} // namespace
