#include "render/Skybox.h"

#include "assets/DebugNames.h"
#include "assets/Texture.h"
#include "scene/Transform.h"

#include <GL/glew.h>
#include <glm/gtc/matrix_transform.hpp>
#include <iterator>
#include <string>

namespace {

// Radians per second; the same rate as the world's spin, so the stars keep their place over the island.
constexpr float RotationRate = 0.2f;

constexpr GLsizei VertexCount = 36;

// The cube from -1 to 1, one face per line, two triangles per face, drawn without indices.
constexpr float CubeVertices[VertexCount * 3] = {
    -1, 1,  -1, -1, -1, -1, 1,  -1, -1, 1,  -1, -1, 1,  1,  -1, -1, 1,  -1, // z = -1
    -1, -1, 1,  -1, -1, -1, -1, 1,  -1, -1, 1,  -1, -1, 1,  1,  -1, -1, 1,  // x = -1
    1,  -1, -1, 1,  -1, 1,  1,  1,  1,  1,  1,  1,  1,  1,  -1, 1,  -1, -1, // x = 1
    -1, -1, 1,  -1, 1,  1,  1,  1,  1,  1,  1,  1,  1,  -1, 1,  -1, -1, 1,  // z = 1
    -1, 1,  -1, 1,  1,  -1, 1,  1,  1,  1,  1,  1,  -1, 1,  1,  -1, 1,  -1, // y = 1
    -1, -1, -1, -1, -1, 1,  1,  -1, -1, 1,  -1, -1, -1, -1, 1,  1,  -1, 1,  // y = -1
};

// Loading order is cube-map target order: +X, -X, +Y, -Y, +Z, -Z.
constexpr const char* FaceFiles[6] = {"/starfield_rt.JPG", "/starfield_lf.JPG", "/starfield_up.JPG",
                                      "/starfield_dn.JPG", "/starfield_bk.JPG", "/starfield_ft.JPG"};
constexpr const char* FaceDirectory = "../Resources/Textures";

void createGeometry(Skybox& skybox) {
    glGenVertexArrays(1, &skybox.vertexArray);
    glGenBuffers(1, &skybox.vertexBuffer);
    glBindVertexArray(skybox.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, skybox.vertexBuffer);
    labelObject(GL_VERTEX_ARRAY, skybox.vertexArray, "sky box vertex array");
    labelObject(GL_BUFFER, skybox.vertexBuffer, "sky box vertices");
    glBufferData(GL_ARRAY_BUFFER, sizeof CubeVertices, CubeVertices, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
    glBindVertexArray(0);
}

} // namespace

Skybox* createSkybox() {
    auto* skybox = new Skybox;
    createGeometry(*skybox);
    skybox->faceFiles.assign(std::begin(FaceFiles), std::end(FaceFiles));
    skybox->cubeTexture = loadCubeMap(
        FaceDirectory, std::vector<std::string>(skybox->faceFiles.begin(), skybox->faceFiles.end()));
    labelObject(GL_TEXTURE, skybox->cubeTexture, "sky box");
    return skybox;
}

std::vector<std::string> skyboxFacePaths() {
    std::vector<std::string> paths;
    for (const char* face : FaceFiles)
        paths.push_back(FaceDirectory + std::string(face));
    return paths;
}

// The sky's GPU objects are released here with the record rather than left to the end of the context,
// so that every object the engine creates has a matching deletion.
void destroySkybox(Skybox* skybox) {
    if (!skybox)
        return;
    glDeleteVertexArrays(1, &skybox->vertexArray);
    glDeleteBuffers(1, &skybox->vertexBuffer);
    glDeleteTextures(1, &skybox->cubeTexture);
    delete skybox;
}

void Skybox::updateRotation(float dt) {
    // The rotation is rebuilt from the angle, not compounded, so no error piles up in the matrix.
    rotationAngle = turnedBy(rotationAngle, dt * RotationRate);
    model = glm::rotate(glm::mat4(1.0f), rotationAngle, glm::vec3(0.0f, 1.0f, 0.0f));
}

void Skybox::draw(int32_t skyboxLocation) const {
    glBindVertexArray(vertexArray);
    glEnableVertexAttribArray(0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeTexture);
    glUniform1i(skyboxLocation, 0);
    glDrawArrays(GL_TRIANGLES, 0, VertexCount);
    glDisableVertexAttribArray(0);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}
