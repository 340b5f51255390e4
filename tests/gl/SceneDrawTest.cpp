#include "GlTest.h"
#include "app/AppState.h"
#include "assets/Mesh.h"
#include "scene/Meteor.h"
#include "scene/ParticleEmitter.h"
#include "scene/Random.h"
#include "scene/SceneObject.h"

#include <cstring>
#include <glm/gtc/matrix_transform.hpp>
#include <vector>

namespace {

GLuint compile(GLenum stage, const char* source) {
    const GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// Positions through the per-instance matrix, like the engine's mesh programs; the sampler is the one
// the object's draw sets. Location 3 suits the model layout, and the test meshes wire both at 3.
GLuint createInstancingProgram() {
    const GLuint vertex = compile(GL_VERTEX_SHADER, R"(#version 450 core
layout(location = 0) in vec3 position;
layout(location = 3) in mat4 instance;
void main() { gl_Position = instance * vec4(position, 1.0); })");
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, R"(#version 450 core
uniform sampler2D diffuse;
out vec4 colour;
void main() { colour = texture(diffuse, vec2(0.5)); })");
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    return program;
}

// One triangle with a per-instance matrix at locations 3 to 6, as the loaders lay meshes out.
MeshBuffers* createTriangleBuffers() {
    auto* buffers = new MeshBuffers;
    const float positions[] = {0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f};
    const uint32_t indices[] = {0, 1, 2};
    glGenVertexArrays(1, &buffers->vertexArray);
    glBindVertexArray(buffers->vertexArray);
    glGenBuffers(1, &buffers->positionBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffers->positionBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof positions, positions, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glGenBuffers(1, &buffers->indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers->indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof indices, indices, GL_STATIC_DRAW);
    glGenBuffers(1, &buffers->instanceBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffers->instanceBuffer);
    for (GLuint column = 0; column < 4; ++column) {
        glEnableVertexAttribArray(3 + column);
        glVertexAttribPointer(3 + column, 4, GL_FLOAT, GL_FALSE, sizeof(glm::mat4),
                              reinterpret_cast<const void*>(column * sizeof(glm::vec4)));
        glVertexAttribDivisor(3 + column, 1);
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    buffers->indexCount = 3;
    return buffers;
}

int zeroRandom() {
    return 0;
}

class SceneDrawTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        appState() = AppState{};
        previousRandom = setRandomSource(zeroRandom);
        program = createInstancingProgram();
        mesh.buffers = createTriangleBuffers();
        glGenTextures(1, &mesh.texture);
        glBindTexture(GL_TEXTURE_2D, mesh.texture);
        const uint32_t white = 0xffffffffu;
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, &white);
        glBindTexture(GL_TEXTURE_2D, 0);
        glGenQueries(1, &query);
        glUseProgram(program);
        diffuse = glGetUniformLocation(program, "diffuse");
    }
    void TearDown() override {
        glUseProgram(0);
        glDeleteQueries(1, &query);
        glDeleteTextures(1, &mesh.texture);
        const MeshBuffers& b = *mesh.buffers;
        const GLuint names[] = {b.positionBuffer, b.indexBuffer, b.instanceBuffer};
        glDeleteBuffers(3, names);
        glDeleteVertexArrays(1, &b.vertexArray);
        delete mesh.buffers;
        glDeleteProgram(program);
        setRandomSource(previousRandom);
        appState() = AppState{};
        GlTest::TearDown();
    }

    void setInstanceTransforms(int count) {
        mesh.instanceTransforms.assign(static_cast<std::size_t>(count), glm::mat4(1.0f));
        for (int i = 0; i < count; ++i)
            mesh.instanceTransforms[static_cast<std::size_t>(i)][3] = glm::vec4(0.1f * i, 0.0f, 0.0f, 1.0f);
        mesh.instanceCount = count;
    }

    // Runs `draw` and returns the triangles it generated.
    template <typename Draw> GLuint trianglesOf(Draw draw) {
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        draw();
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLuint triangles = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &triangles);
        return triangles;
    }

    std::vector<glm::mat4> instanceBufferContents() const {
        GLint64 size = 0;
        glGetNamedBufferParameteri64v(mesh.buffers->instanceBuffer, GL_BUFFER_SIZE, &size);
        std::vector<glm::mat4> contents(static_cast<std::size_t>(size) / sizeof(glm::mat4));
        if (size > 0)
            glGetNamedBufferSubData(mesh.buffers->instanceBuffer, 0, size, contents.data());
        EXPECT_EQ(static_cast<std::size_t>(size), contents.size() * sizeof(glm::mat4));
        return contents;
    }

    void expectBindingsReleased() const {
        EXPECT_EQ(glInteger(GL_VERTEX_ARRAY_BINDING), 0);
        EXPECT_EQ(glInteger(GL_ARRAY_BUFFER_BINDING), 0);
        EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
        EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);
    }

    RandomSource previousRandom = nullptr;
    GLuint program = 0;
    GLuint query = 0;
    GLint diffuse = -1;
    Mesh mesh;
};

TEST_F(SceneDrawTest, APlainObjectStreamsAndDrawsEveryInstance) {
    setInstanceTransforms(3);
    SceneObject object(&mesh);
    object.update(1.0f);

    EXPECT_EQ(trianglesOf([&] { object.draw(diffuse); }), 3u);

    EXPECT_EQ(instanceBufferContents(), object.instances);
    GLint sampler = -1;
    glGetUniformiv(program, diffuse, &sampler);
    EXPECT_EQ(sampler, 0);
    expectBindingsReleased();
}

TEST_F(SceneDrawTest, AnEffectObjectDrawsOnlyTheMatrixItBuilt) {
    setInstanceTransforms(3); // a meteor model that places its shape three times
    Meteor meteor(&mesh, nullptr);
    appState().effectPhase = 1;
    meteor.update(0.1f);
    ASSERT_EQ(meteor.instances.size(), 1u);

    EXPECT_EQ(trianglesOf([&] { meteor.draw(diffuse); }), 1u);

    EXPECT_EQ(instanceBufferContents(), meteor.instances);
    expectBindingsReleased();
}

TEST_F(SceneDrawTest, AModelWithoutInstancesStillReplacesTheOldInstanceStore) {
    setInstanceTransforms(2);
    SceneObject object(&mesh);
    object.update(0.0f);
    object.draw(diffuse);
    setInstanceTransforms(0);
    object.update(0.0f);

    EXPECT_EQ(trianglesOf([&] { object.draw(diffuse); }), 0u);

    EXPECT_TRUE(instanceBufferContents().empty());
}

TEST_F(SceneDrawTest, AnEmitterUploadsOneMatrixPerLiveParticle) {
    ParticleEmitter emitter(&mesh, 100, 20, 1.0f);
    emitter.spawn(glm::vec3(0.0f));
    emitter.spawn(glm::vec3(1.0f));
    emitter.advance(0.1f, 0.5f);
    ASSERT_EQ(emitter.instances.size(), 2u);

    EXPECT_EQ(trianglesOf([&] { emitter.draw(diffuse); }), 2u);

    EXPECT_EQ(instanceBufferContents(), emitter.instances);
    expectBindingsReleased();
}

TEST_F(SceneDrawTest, AnEmitterWithoutLiveParticlesTouchesNothing) {
    ParticleEmitter emitter(&mesh, 100, 20, 1.0f);
    emitter.spawn(glm::vec3(0.0f));
    emitter.advance(2.0f, 1.0f); // dead
    const std::vector<glm::mat4> previous(5, glm::mat4(2.0f));
    glNamedBufferData(mesh.buffers->instanceBuffer, sizeof(glm::mat4) * 5, previous.data(), GL_STREAM_DRAW);
    GLuint otherArray = 0;
    glGenVertexArrays(1, &otherArray);
    glBindVertexArray(otherArray);
    glActiveTexture(GL_TEXTURE3);

    EXPECT_EQ(trianglesOf([&] { emitter.draw(diffuse); }), 0u);

    EXPECT_EQ(glInteger(GL_VERTEX_ARRAY_BINDING), static_cast<GLint>(otherArray));
    EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
    EXPECT_EQ(instanceBufferContents(), previous);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &otherArray);
}

} // namespace
