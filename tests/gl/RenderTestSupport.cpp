#include "RenderTestSupport.h"

#include <algorithm>
#include <cassert>
#include <glm/gtc/type_ptr.hpp>

namespace rendertest {

namespace {

GlCallLog* activeLog = nullptr;

// The real entry points, saved while the hooks are installed.
struct RealEntryPoints {
    PFNGLUSEPROGRAMPROC useProgram;
    PFNGLGETUNIFORMLOCATIONPROC getUniformLocation;
    PFNGLUNIFORM1IPROC uniform1i;
    PFNGLUNIFORM1FPROC uniform1f;
    PFNGLUNIFORM3FVPROC uniform3fv;
    PFNGLUNIFORM4FPROC uniform4f;
    PFNGLUNIFORMMATRIX4FVPROC uniformMatrix4fv;
    PFNGLACTIVETEXTUREPROC activeTexture;
    PFNGLBINDVERTEXARRAYPROC bindVertexArray;
    PFNGLBINDBUFFERPROC bindBuffer;
    PFNGLBUFFERDATAPROC bufferData;
    PFNGLDRAWELEMENTSINSTANCEDPROC drawElementsInstanced;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLFRAMEBUFFERTEXTUREPROC framebufferTexture;
    PFNGLGENQUERIESPROC genQueries;
    PFNGLBEGINQUERYPROC beginQuery;
    PFNGLDELETEPROGRAMPROC deleteProgram;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
};
RealEntryPoints real{};

void note(const char* function) {
    activeLog->calls.emplace_back(function);
}

GLuint currentProgram() {
    return static_cast<GLuint>(glInteger(GL_CURRENT_PROGRAM));
}

void recordUniform(GLint location, const float* values, size_t count) {
    activeLog->uniforms.push_back({currentProgram(), location, std::vector<float>(values, values + count)});
}

void GLAPIENTRY useProgram(GLuint program) {
    note("glUseProgram");
    real.useProgram(program);
}
GLint GLAPIENTRY getUniformLocation(GLuint program, const GLchar* name) {
    note("glGetUniformLocation");
    activeLog->uniformLookups.emplace_back(name);
    return real.getUniformLocation(program, name);
}
void GLAPIENTRY uniform1i(GLint location, GLint value) {
    note("glUniform1i");
    const float asFloat = static_cast<float>(value);
    recordUniform(location, &asFloat, 1);
    real.uniform1i(location, value);
}
void GLAPIENTRY uniform1f(GLint location, GLfloat value) {
    note("glUniform1f");
    recordUniform(location, &value, 1);
    real.uniform1f(location, value);
}
void GLAPIENTRY uniform3fv(GLint location, GLsizei count, const GLfloat* values) {
    note("glUniform3fv");
    recordUniform(location, values, 3 * static_cast<size_t>(count));
    real.uniform3fv(location, count, values);
}
void GLAPIENTRY uniform4f(GLint location, GLfloat x, GLfloat y, GLfloat z, GLfloat w) {
    note("glUniform4f");
    const float values[] = {x, y, z, w};
    recordUniform(location, values, 4);
    real.uniform4f(location, x, y, z, w);
}
void GLAPIENTRY uniformMatrix4fv(GLint location, GLsizei count, GLboolean transpose, const GLfloat* values) {
    note(transpose ? "glUniformMatrix4fv(transposed)" : "glUniformMatrix4fv");
    recordUniform(location, values, 16 * static_cast<size_t>(count));
    real.uniformMatrix4fv(location, count, transpose, values);
}
void GLAPIENTRY activeTexture(GLenum unit) {
    note("glActiveTexture");
    real.activeTexture(unit);
}
void GLAPIENTRY bindVertexArray(GLuint array) {
    note("glBindVertexArray");
    real.bindVertexArray(array);
}
void GLAPIENTRY bindBuffer(GLenum target, GLuint buffer) {
    note("glBindBuffer");
    real.bindBuffer(target, buffer);
}
void GLAPIENTRY bufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage) {
    note("glBufferData");
    real.bufferData(target, size, data, usage);
}
void GLAPIENTRY drawElementsInstanced(GLenum mode, GLsizei count, GLenum type, const void* indices,
                                      GLsizei instances) {
    note("glDrawElementsInstanced");
    DrawRecord draw;
    draw.program = currentProgram();
    draw.vertexArray = static_cast<GLuint>(glInteger(GL_VERTEX_ARRAY_BINDING));
    draw.framebuffer = static_cast<GLuint>(glInteger(GL_DRAW_FRAMEBUFFER_BINDING));
    draw.instances = instances;
    draw.clipDistance0 = glIsEnabled(GL_CLIP_DISTANCE0) == GL_TRUE;
    glGetIntegerv(GL_VIEWPORT, draw.viewport.data());
    const GLint unit = glInteger(GL_ACTIVE_TEXTURE);
    real.activeTexture(GL_TEXTURE1);
    draw.cubeOnUnit1 = static_cast<GLuint>(glInteger(GL_TEXTURE_BINDING_CUBE_MAP));
    real.activeTexture(static_cast<GLenum>(unit));
    activeLog->draws.push_back(draw);
    real.drawElementsInstanced(mode, count, type, indices, instances);
}
void GLAPIENTRY bindFramebuffer(GLenum target, GLuint framebuffer) {
    note("glBindFramebuffer");
    real.bindFramebuffer(target, framebuffer);
}
void GLAPIENTRY genFramebuffers(GLsizei count, GLuint* names) {
    note("glGenFramebuffers");
    real.genFramebuffers(count, names);
}
void GLAPIENTRY framebufferTexture(GLenum target, GLenum attachment, GLuint texture, GLint level) {
    note("glFramebufferTexture");
    real.framebufferTexture(target, attachment, texture, level);
}
void GLAPIENTRY genQueries(GLsizei count, GLuint* names) {
    note("glGenQueries");
    real.genQueries(count, names);
}
void GLAPIENTRY beginQuery(GLenum target, GLuint query) {
    note("glBeginQuery");
    real.beginQuery(target, query);
}

void GLAPIENTRY deleteProgram(GLuint program) {
    note("glDeleteProgram");
    activeLog->deletedPrograms.push_back(program);
    real.deleteProgram(program);
}
void GLAPIENTRY deleteFramebuffers(GLsizei count, const GLuint* names) {
    note("glDeleteFramebuffers");
    activeLog->deletedFramebuffers.insert(activeLog->deletedFramebuffers.end(), names, names + count);
    real.deleteFramebuffers(count, names);
}

// Swaps every slot for its hook, or (restore) puts the saved entry point back.
template <typename Function> void swapSlot(Function& slot, Function& saved, Function hook, bool restore) {
    if (restore) {
        slot = saved;
    } else {
        saved = slot;
        slot = hook;
    }
}

void swapAll(bool restore) {
    swapSlot(__glewUseProgram, real.useProgram, &useProgram, restore);
    swapSlot(__glewGetUniformLocation, real.getUniformLocation, &getUniformLocation, restore);
    swapSlot(__glewUniform1i, real.uniform1i, &uniform1i, restore);
    swapSlot(__glewUniform1f, real.uniform1f, &uniform1f, restore);
    swapSlot(__glewUniform3fv, real.uniform3fv, &uniform3fv, restore);
    swapSlot(__glewUniform4f, real.uniform4f, &uniform4f, restore);
    swapSlot(__glewUniformMatrix4fv, real.uniformMatrix4fv, &uniformMatrix4fv, restore);
    swapSlot(__glewActiveTexture, real.activeTexture, &activeTexture, restore);
    swapSlot(__glewBindVertexArray, real.bindVertexArray, &bindVertexArray, restore);
    swapSlot(__glewBindBuffer, real.bindBuffer, &bindBuffer, restore);
    swapSlot(__glewBufferData, real.bufferData, &bufferData, restore);
    swapSlot(__glewDrawElementsInstanced, real.drawElementsInstanced, &drawElementsInstanced, restore);
    swapSlot(__glewBindFramebuffer, real.bindFramebuffer, &bindFramebuffer, restore);
    swapSlot(__glewGenFramebuffers, real.genFramebuffers, &genFramebuffers, restore);
    swapSlot(__glewFramebufferTexture, real.framebufferTexture, &framebufferTexture, restore);
    swapSlot(__glewGenQueries, real.genQueries, &genQueries, restore);
    swapSlot(__glewBeginQuery, real.beginQuery, &beginQuery, restore);
    swapSlot(__glewDeleteProgram, real.deleteProgram, &deleteProgram, restore);
    swapSlot(__glewDeleteFramebuffers, real.deleteFramebuffers, &deleteFramebuffers, restore);
}

} // namespace

GlCallLog::GlCallLog() {
    assert(!activeLog && "one call log at a time");
    activeLog = this;
    swapAll(false);
}

GlCallLog::~GlCallLog() {
    swapAll(true);
    activeLog = nullptr;
}

std::vector<std::vector<float>> GlCallLog::valuesAt(GLuint program, GLint location) const {
    std::vector<std::vector<float>> result;
    for (const UniformRecord& record : uniforms)
        if (record.program == program && record.location == location)
            result.push_back(record.values);
    return result;
}

size_t GlCallLog::count(const std::string& function) const {
    return static_cast<size_t>(std::count(calls.begin(), calls.end(), function));
}

TestMesh::TestMesh(const std::vector<glm::vec3>& positions, const std::vector<glm::vec3>& normals,
                   const std::vector<uint32_t>& indices, uint32_t rgba) {
    auto* buffers = new MeshBuffers;
    glGenVertexArrays(1, &buffers->vertexArray);
    glBindVertexArray(buffers->vertexArray);
    const std::vector<glm::vec2> texCoords(positions.size(), glm::vec2(0.5f));
    const auto attribute = [](GLuint location, GLuint& buffer, const void* data, size_t bytes, int size) {
        glGenBuffers(1, &buffer);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, size, GL_FLOAT, GL_FALSE, 0, nullptr);
    };
    attribute(0, buffers->positionBuffer, positions.data(), positions.size() * sizeof(glm::vec3), 3);
    attribute(1, buffers->normalBuffer, normals.data(), normals.size() * sizeof(glm::vec3), 3);
    attribute(2, buffers->texCoordBuffer, texCoords.data(), texCoords.size() * sizeof(glm::vec2), 2);
    glGenBuffers(1, &buffers->instanceBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffers->instanceBuffer);
    for (GLuint column = 0; column < 4; ++column) {
        glEnableVertexAttribArray(3 + column);
        glVertexAttribPointer(3 + column, 4, GL_FLOAT, GL_FALSE, sizeof(glm::mat4),
                              reinterpret_cast<const void*>(column * sizeof(glm::vec4)));
        glVertexAttribDivisor(3 + column, 1);
    }
    glGenBuffers(1, &buffers->indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers->indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint32_t)),
                 indices.data(), GL_STATIC_DRAW);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    buffers->indexCount = static_cast<int32_t>(indices.size());

    glGenTextures(1, &mesh.texture);
    glBindTexture(GL_TEXTURE_2D, mesh.texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, &rgba);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);

    mesh.buffers = buffers;
    mesh.instanceTransforms = {glm::mat4(1.0f)};
    mesh.instanceCount = 1;
}

TestMesh::~TestMesh() {
    const MeshBuffers& b = *mesh.buffers;
    const GLuint names[] = {b.positionBuffer, b.normalBuffer, b.texCoordBuffer, b.indexBuffer,
                            b.instanceBuffer};
    glDeleteBuffers(5, names);
    glDeleteVertexArrays(1, &b.vertexArray);
    glDeleteTextures(1, &mesh.texture);
    delete mesh.buffers;
}

TestMesh* createFloorSquare(float halfSize, uint32_t rgba) {
    const float h = halfSize;
    return new TestMesh({{-h, 0.0f, -h}, {h, 0.0f, -h}, {h, 0.0f, h}, {-h, 0.0f, h}},
                        std::vector<glm::vec3>(4, glm::vec3(0.0f, 1.0f, 0.0f)), {0, 2, 1, 0, 3, 2}, rgba);
}

TestMesh* createBox(float half, float height, uint32_t rgba) {
    std::vector<glm::vec3> positions, normals;
    std::vector<uint32_t> indices;
    // One face per axis direction, four corners each, wound counter-clockwise seen from outside.
    const auto face = [&](const glm::vec3& normal, const glm::vec3& u, const glm::vec3& v) {
        const glm::vec3 centre =
            glm::vec3(0.0f, height * 0.5f, 0.0f) + normal * glm::vec3(half, height * 0.5f, half);
        const glm::vec3 du = u * glm::vec3(half, height * 0.5f, half);
        const glm::vec3 dv = v * glm::vec3(half, height * 0.5f, half);
        const auto first = static_cast<uint32_t>(positions.size());
        for (const glm::vec3& corner :
             {centre - du - dv, centre + du - dv, centre + du + dv, centre - du + dv}) {
            positions.push_back(corner);
            normals.push_back(normal);
        }
        for (const uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u})
            indices.push_back(first + i);
    };
    face({1, 0, 0}, {0, 0, -1}, {0, 1, 0});
    face({-1, 0, 0}, {0, 0, 1}, {0, 1, 0});
    face({0, 1, 0}, {1, 0, 0}, {0, 0, -1});
    face({0, -1, 0}, {1, 0, 0}, {0, 0, 1});
    face({0, 0, 1}, {1, 0, 0}, {0, 1, 0});
    face({0, 0, -1}, {-1, 0, 0}, {0, 1, 0});
    return new TestMesh(positions, normals, indices, rgba);
}

PlacedObject::PlacedObject(Mesh& mesh, const glm::mat4& transform) : SceneObject(&mesh) {
    instances = {transform};
}

void PlacedObject::draw(int32_t diffuseLocation) {
    ++drawCalls;
    diffuseLocations.push_back(diffuseLocation);
    if (onDraw)
        onDraw();
    SceneObject::draw(diffuseLocation);
}

PointLight whiteLight(const glm::vec3& position) {
    PointLight light(position, glm::vec3(1.0f), 1.0f, 0.0f, 0.0f);
    light.shadowCamera.projection = glm::perspective(glm::radians(90.0f), 1.0f, 0.01f, 25.0f);
    return light;
}

Camera lookingCamera(const glm::vec3& eye, const glm::vec3& target, int width, int height) {
    Camera camera;
    camera.position = eye;
    camera.target = target;
    camera.up = glm::vec3(0.0f, 1.0f, 0.0f);
    camera.view = glm::lookAt(eye, target, camera.up);
    camera.projection = glm::perspective(glm::radians(60.0f), float(width) / float(height), 0.1f, 100.0f);
    return camera;
}

void copyShaders(const TempTree& tree, const std::vector<std::string>& fileNames) {
    for (const std::string& name : fileNames)
        std::filesystem::copy_file(repositoryRoot() / "Resources" / "Shaders" / name, tree.shaders() / name,
                                   std::filesystem::copy_options::overwrite_existing);
}

glm::u8vec4 readPixel(int x, int y) {
    glm::u8vec4 pixel(0);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, glm::value_ptr(pixel));
    return pixel;
}

glm::u8vec4 pixelAt(const Camera& camera, const glm::vec3& world, int width, int height) {
    const glm::vec4 clip = camera.projection * camera.view * glm::vec4(world, 1.0f);
    const glm::vec3 ndc = glm::vec3(clip) / clip.w;
    const int x = static_cast<int>((ndc.x * 0.5f + 0.5f) * static_cast<float>(width));
    const int y = static_cast<int>((ndc.y * 0.5f + 0.5f) * static_cast<float>(height));
    EXPECT_TRUE(clip.w > 0.0f && x >= 0 && x < width && y >= 0 && y < height)
        << "(" << world.x << ", " << world.y << ", " << world.z << ") is not in the picture";
    return readPixel(x, y);
}

} // namespace rendertest
