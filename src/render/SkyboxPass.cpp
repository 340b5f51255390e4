#include "render/SkyboxPass.h"

#include "assets/ShaderProgram.h"
#include "render/Skybox.h"
#include "scene/Camera.h"

#include <GL/glew.h>
#include <glm/gtc/type_ptr.hpp>

glm::mat4 translationFreeView(const glm::mat4& view) {
    // mat3 -> mat4 keeps the upper-left 3 x 3 and fills the rest from the identity: zero translation,
    // fourth column (0, 0, 0, 1).
    return glm::mat4(glm::mat3(view));
}

SkyboxPass::SkyboxPass() : program(createShaderProgram(ShaderDirectory, "Skybox", false)) {
    if (!program)
        return;
    viewLocation = glGetUniformLocation(program->program, "view");
    projectionLocation = glGetUniformLocation(program->program, "projection");
    skyboxLocation = glGetUniformLocation(program->program, "skybox");
    modelLocation = glGetUniformLocation(program->program, "model");
}

SkyboxPass::~SkyboxPass() {
    destroyShaderProgram(program);
}

void SkyboxPass::draw(const Camera& camera, const Skybox& skybox) {
    if (!program)
        return;
    glUseProgram(program->program);
    glUniformMatrix4fv(projectionLocation, 1, GL_FALSE, glm::value_ptr(camera.projection));
    // Without the translation the cube stays centred on the eye, so the stars never come nearer.
    const glm::mat4 view = translationFreeView(camera.view);
    glUniformMatrix4fv(viewLocation, 1, GL_FALSE, glm::value_ptr(view));
    glUniformMatrix4fv(modelLocation, 1, GL_FALSE, glm::value_ptr(skybox.model));
    skybox.draw(skyboxLocation);
    glUseProgram(0);
}
