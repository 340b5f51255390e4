#include "render/Skybox.h"

#include "EffectsGl.h"
#include "assets/ShaderProgram.h"
#include "render/SkyboxPass.h"
#include "scene/Camera.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace {

using effects::describe;
using effects::near;
using effects::readPixel;

// One colour per face, in loading order, so that a face that lands on the wrong target shows.
const char* const FaceNames[6] = {"starfield_rt.JPG", "starfield_lf.JPG", "starfield_up.JPG",
                                  "starfield_dn.JPG", "starfield_bk.JPG", "starfield_ft.JPG"};
const glm::u8vec4 FaceColours[6] = {{255, 0, 0, 255},   {0, 255, 0, 255},   {0, 0, 255, 255},
                                    {255, 255, 0, 255}, {0, 255, 255, 255}, {255, 0, 255, 255}};

class SkyboxTest : public GlTest {
  protected:
    void writeFaces() const {
        for (int i = 0; i < 6; ++i)
            effects::writeSolidImage(tree.tree().textures() / FaceNames[i], 8, FaceColours[i]);
    }

    effects::ShaderTree tree;
};

glm::mat4 uniformMatrix(GLuint program, GLint location) {
    glm::mat4 value(0.0f);
    glGetUniformfv(program, location, glm::value_ptr(value));
    return value;
}

// The camera of the scene, looking from (0, 5, 12) at the origin: the centre of the image looks mostly
// along -z.
Camera sceneCamera(float aspect) {
    Camera camera(glm::vec3(0.0f, 5.0f, 12.0f), aspect);
    camera.refreshView();
    return camera;
}

TEST_F(SkyboxTest, CreationUploadsTheCubeAndLoadsEveryFaceOntoItsTarget) {
    writeFaces();
    Skybox* skybox = createSkybox();

    ASSERT_EQ(skybox->faceFiles.size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(std::string(skybox->faceFiles[static_cast<size_t>(i)]), std::string("/") + FaceNames[i]);
    EXPECT_EQ(skybox->model, glm::mat4(1.0f));
    EXPECT_EQ(skybox->rotationAngle, 0.0f);

    glBindBuffer(GL_ARRAY_BUFFER, skybox->vertexBuffer);
    EXPECT_EQ(glInteger(GL_ARRAY_BUFFER_BINDING), static_cast<GLint>(skybox->vertexBuffer));
    GLint size = 0, usage = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_USAGE, &usage);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(size, 36 * 3 * 4);
    EXPECT_EQ(usage, GL_STATIC_DRAW);

    glBindTexture(GL_TEXTURE_CUBE_MAP, skybox->cubeTexture);
    for (int i = 0; i < 6; ++i) {
        std::array<unsigned char, 8 * 8 * 4> texels{};
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(i), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                      texels.data());
        const glm::ivec4 texel(texels[0], texels[1], texels[2], texels[3]);
        EXPECT_TRUE(near(texel, glm::ivec4(FaceColours[i]))) << FaceNames[i] << " holds " << describe(texel);
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    destroySkybox(skybox);
}

TEST_F(SkyboxTest, DestroyReleasesEveryGpuObject) {
    writeFaces();
    Skybox* skybox = createSkybox();
    const GLuint vertexArray = skybox->vertexArray, buffer = skybox->vertexBuffer, cube = skybox->cubeTexture;
    ASSERT_TRUE(glIsVertexArray(vertexArray) && glIsBuffer(buffer) && glIsTexture(cube));
    destroySkybox(skybox);
    EXPECT_FALSE(glIsVertexArray(vertexArray));
    EXPECT_FALSE(glIsBuffer(buffer));
    EXPECT_FALSE(glIsTexture(cube));
}

TEST_F(SkyboxTest, DrawIssuesThirtySixVerticesWithoutIndicesAndReleasesItsBindings) {
    writeFaces();
    Skybox* skybox = createSkybox();
    SkyboxPass pass;
    ASSERT_NE(pass.program, nullptr);
    const Camera camera = sceneCamera(1.0f);

    glBindVertexArray(skybox->vertexArray);
    EXPECT_EQ(glInteger(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0) << "the cube has no index buffer";
    glBindVertexArray(0);

    effects::OffscreenTarget target(32, 32);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glActiveTexture(GL_TEXTURE3); // the pass must switch back to unit 0 itself
    effects::PrimitiveCounter triangles;
    pass.draw(camera, *skybox);
    EXPECT_EQ(triangles.finish(), 12u);

    EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_CUBE_MAP), 0);
    EXPECT_EQ(glInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(glInteger(GL_ARRAY_BUFFER_BINDING), 0);
    glBindVertexArray(skybox->vertexArray);
    GLint enabled = 1;
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    glBindVertexArray(0);
    EXPECT_EQ(enabled, GL_FALSE);
    destroySkybox(skybox);
}

TEST_F(SkyboxTest, ViewHasNoTranslationAndTheCameraRotation) {
    writeFaces();
    Skybox* skybox = createSkybox();
    skybox->updateRotation(3.0f);
    SkyboxPass pass;
    ASSERT_NE(pass.program, nullptr);
    Camera camera(glm::vec3(-7.0f, 40.0f, 25.0f), 1.5f);
    camera.target = glm::vec3(3.0f, -2.0f, 1.0f);
    camera.refreshView();
    ASSERT_NE(camera.view[3], glm::vec4(0.0f, 0.0f, 0.0f, 1.0f)) << "the test needs a translated view";

    effects::OffscreenTarget target(8, 8);
    pass.draw(camera, *skybox);

    const glm::mat4 view = uniformMatrix(pass.program->program, pass.viewLocation);
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(view[column][row], camera.view[column][row]) << column << ", " << row;
        EXPECT_EQ(view[column][3], 0.0f);
        EXPECT_EQ(view[3][column], 0.0f);
    }
    EXPECT_EQ(view[3][3], 1.0f);
    EXPECT_EQ(uniformMatrix(pass.program->program, pass.projectionLocation), camera.projection);
    EXPECT_EQ(uniformMatrix(pass.program->program, pass.modelLocation), skybox->model);
    destroySkybox(skybox);
}

// The image centre looks along about -z. Unturned, that is the -z face; turned by a quarter about +y,
// the cube's +x face has come round to -z.
TEST_F(SkyboxTest, SkyShowsTheFaceInViewTurnedByTheModelAndOnlyAtTheFarDepth) {
    writeFaces();
    Skybox* skybox = createSkybox();
    SkyboxPass pass;
    ASSERT_NE(pass.program, nullptr);
    const Camera camera = sceneCamera(1.0f);

    effects::OffscreenTarget target(32, 32);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    struct Case {
        float turn;
        float clearDepth;
        glm::ivec4 expected;
    };
    const glm::ivec4 clearColour(0, 0, 0, 0);
    const Case cases[] = {
        {0.0f, 1.0f, glm::ivec4(FaceColours[5])},
        {glm::half_pi<float>() / 0.2f, 1.0f, glm::ivec4(FaceColours[0])},
        // Anything drawn before, however far, keeps the sky out.
        {0.0f, 0.999f, clearColour},
    };
    for (const Case& c : cases) {
        skybox->rotationAngle = 0.0f;
        skybox->updateRotation(c.turn);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClearDepth(c.clearDepth);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        pass.draw(camera, *skybox);
        const glm::ivec4 centre = readPixel(16, 16);
        EXPECT_TRUE(near(centre, c.expected))
            << "turn " << c.turn << " s, depth " << c.clearDepth << ": " << describe(centre);
    }
    glClearDepth(1.0);
    glDepthFunc(GL_LESS);
    glDisable(GL_DEPTH_TEST);
    destroySkybox(skybox);
}

// Ten seconds of 60 frames per second: the sky has turned by 2 radians about +y, and the angle keeps
// growing past a whole turn instead of wrapping.
TEST(SkyboxRotation, TurnsTwoRadiansInTenSecondsAndAccumulates) {
    Skybox skybox;
    for (int frame = 0; frame < 600; ++frame)
        skybox.updateRotation(1.0f / 60.0f);
    EXPECT_NEAR(skybox.rotationAngle, 2.0f, 1e-4f);
    const glm::mat4 expected = glm::rotate(glm::mat4(1.0f), 2.0f, glm::vec3(0.0f, 1.0f, 0.0f));
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            EXPECT_NEAR(skybox.model[column][row], expected[column][row], 1e-4f) << column << ", " << row;
    // +x turns towards -z under a positive turn about +y (right-handed).
    const glm::vec4 x = skybox.model * glm::vec4(1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_NEAR(x.x, std::cos(2.0f), 1e-4f);
    EXPECT_NEAR(x.z, -std::sin(2.0f), 1e-4f);

    for (int frame = 0; frame < 1800; ++frame)
        skybox.updateRotation(1.0f / 60.0f);
    EXPECT_NEAR(skybox.rotationAngle, 8.0f, 1e-3f);
}

} // namespace
