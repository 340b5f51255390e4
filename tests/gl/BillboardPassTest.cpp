#include "render/BillboardPass.h"

#include "EffectsGl.h"
#include "assets/Mesh.h"
#include "scene/Camera.h"
#include "scene/ParticleEmitter.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

using effects::describe;
using effects::readPixel;

constexpr int Size = 64;
const glm::ivec4 Spark(255, 160, 40, 255);

// 4 x 4 texels: the middle 2 x 2 opaque orange, the ring around it fully transparent.
GLuint sparkTexture() {
    std::array<glm::u8vec4, 16> texels{};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool middle = x >= 1 && x <= 2 && y >= 1 && y <= 2;
            texels[static_cast<size_t>(4 * y + x)] = middle ? glm::u8vec4(Spark) : glm::u8vec4(0, 0, 255, 0);
        }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// The particle plane as the catalogue makes it: a unit quad in the xy plane, particle layout.
Mesh* particlePlane(GLuint texture) {
    ParticleLoader loader;
    loader.positions = {{-0.5f, -0.5f, 0.0f}, {0.5f, -0.5f, 0.0f}, {0.5f, 0.5f, 0.0f}, {-0.5f, 0.5f, 0.0f}};
    loader.normals.assign(4, glm::vec3(0.0f, 0.0f, 1.0f));
    loader.texCoords = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    loader.indices = {0, 1, 2, 0, 2, 3};
    Mesh* mesh = new Mesh();
    mesh->buffers = loader.createBuffers();
    mesh->texture = texture;
    return mesh;
}

glm::mat4 particleAt(const glm::vec3& position, float size) {
    return glm::scale(glm::translate(glm::mat4(1.0f), position), glm::vec3(size));
}

GLint instanceBufferSize(const Mesh& mesh) {
    GLint size = -1;
    glBindBuffer(GL_ARRAY_BUFFER, mesh.buffers->instanceBuffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return size;
}

class BillboardPassTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        texture = sparkTexture();
        mesh = particlePlane(texture);
        camera.refreshView();
    }
    void TearDown() override {
        destroyMesh(mesh);
        glDeleteTextures(1, &texture);
        GlTest::TearDown();
    }

    effects::ShaderTree tree;
    GLuint texture = 0;
    Mesh* mesh = nullptr;
    Camera camera{glm::vec3(0.0f, 5.0f, 12.0f), 1.0f};
};

TEST_F(BillboardPassTest, EmitterUploadsSixtyFourBytesPerParticleAndDrawsThemInOneCall) {
    BillboardPass pass;
    ASSERT_NE(pass.program, nullptr);
    ASSERT_GE(pass.diffuseLocation, 0);
    ParticleEmitter emitter(mesh, 100, 20, 1.0f);
    effects::OffscreenTarget image(Size, Size);
    for (const size_t count : {1u, 7u, 100u}) {
        emitter.instances.clear();
        for (size_t i = 0; i < count; ++i)
            emitter.instances.push_back(
                particleAt(glm::vec3(0.01f * static_cast<float>(i), 0.0f, 0.0f), 0.2f));
        effects::PrimitiveCounter triangles;
        pass.draw(camera, emitter);
        EXPECT_EQ(triangles.finish(), 2 * count) << count << " particles";
        EXPECT_EQ(instanceBufferSize(*mesh), static_cast<GLint>(64 * count));
        EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
        EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
        EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);
        EXPECT_EQ(glInteger(GL_VERTEX_ARRAY_BINDING), 0);
        EXPECT_EQ(glInteger(GL_ARRAY_BUFFER_BINDING), 0);
    }
}

// An emitter without particles leaves every binding and the instance buffer exactly as they were.
TEST_F(BillboardPassTest, EmitterWithoutParticlesTouchesNothing) {
    BillboardPass pass;
    ASSERT_NE(pass.program, nullptr);
    ParticleEmitter emitter(mesh, 100, 20, 1.0f);
    emitter.instances = {particleAt(glm::vec3(0.0f), 1.0f)};
    pass.draw(camera, emitter); // leaves a 64-byte store behind
    emitter.instances.clear();

    effects::OffscreenTarget image(Size, Size);
    GLuint sentinels[3] = {};
    glGenVertexArrays(1, &sentinels[0]);
    glGenBuffers(1, &sentinels[1]);
    glGenTextures(1, &sentinels[2]);
    glBindVertexArray(sentinels[0]);
    glBindBuffer(GL_ARRAY_BUFFER, sentinels[1]);
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, sentinels[2]);

    effects::PrimitiveCounter triangles;
    emitter.draw(pass.diffuseLocation);
    EXPECT_EQ(triangles.finish(), 0u);
    EXPECT_EQ(glInteger(GL_VERTEX_ARRAY_BINDING), static_cast<GLint>(sentinels[0]));
    EXPECT_EQ(glInteger(GL_ARRAY_BUFFER_BINDING), static_cast<GLint>(sentinels[1]));
    EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), static_cast<GLint>(sentinels[2]));

    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &sentinels[0]);
    glDeleteBuffers(1, &sentinels[1]);
    glDeleteTextures(1, &sentinels[2]);
    EXPECT_EQ(instanceBufferSize(*mesh), 64) << "the previous upload must stay untouched";

    // Through the pass: one program switch and back, nothing drawn.
    effects::PrimitiveCounter passTriangles;
    pass.draw(camera, emitter);
    EXPECT_EQ(passTriangles.finish(), 0u);
    EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
}

// The quad lies in the xy plane. Seen from the side (from +x) it would be edge-on and invisible; turned
// towards the camera it shows its opaque middle, and its transparent ring is dropped, leaving both
// colour and depth as they were.
TEST_F(BillboardPassTest, QuadsFaceTheCameraAndDropTransparentTexels) {
    BillboardPass pass;
    ASSERT_NE(pass.program, nullptr);
    ParticleEmitter emitter(mesh, 100, 20, 1.0f);
    emitter.instances = {particleAt(glm::vec3(0.0f), 3.0f)};
    const glm::ivec4 background(0, 0, 0, 0);
    for (const glm::vec3& eye :
         {glm::vec3(5.0f, 0.0f, 0.0f), glm::vec3(0.0f, 0.0f, 5.0f), glm::vec3(-3.0f, 4.0f, 0.0f)}) {
        Camera side(eye, 1.0f);
        side.refreshView();
        effects::OffscreenTarget image(Size, Size);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        pass.draw(side, emitter);
        const glm::ivec4 middle = readPixel(Size / 2, Size / 2);
        // 3 units at a distance of 5 cover about +-17 pixels; the opaque middle about +-8.
        const glm::ivec4 ring = readPixel(Size / 2 + 13, Size / 2 + 13);
        float ringDepth = 0.0f;
        glReadPixels(Size / 2 + 13, Size / 2 + 13, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &ringDepth);
        glDisable(GL_DEPTH_TEST);
        EXPECT_TRUE(effects::near(middle, Spark))
            << "from " << eye.x << ", " << eye.y << ", " << eye.z << ": " << describe(middle);
        EXPECT_TRUE(effects::near(ring, background)) << describe(ring);
        EXPECT_EQ(ringDepth, 1.0f);
    }
}

} // namespace
