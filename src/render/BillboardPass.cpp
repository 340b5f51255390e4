#include "render/BillboardPass.h"

#include "assets/ShaderProgram.h"
#include "scene/Camera.h"
#include "scene/ParticleEmitter.h"

#include <GL/glew.h>
#include <glm/gtc/type_ptr.hpp>

BillboardPass::BillboardPass() {
    program = createShaderProgram(ShaderDirectory, "Billboard", false, &buildFailure);
    if (!program)
        return;
    viewLocation = glGetUniformLocation(program->program, "view");
    projectionLocation = glGetUniformLocation(program->program, "projection");
    diffuseLocation = glGetUniformLocation(program->program, "diffuse");
}

BillboardPass::~BillboardPass() {
    destroyShaderProgram(program);
}

void BillboardPass::draw(const Camera& camera, const ParticleEmitter& emitter) {
    if (!program)
        return;
    glUseProgram(program->program);
    glUniformMatrix4fv(viewLocation, 1, GL_FALSE, glm::value_ptr(camera.view));
    glUniformMatrix4fv(projectionLocation, 1, GL_FALSE, glm::value_ptr(camera.projection));
    emitter.draw(diffuseLocation);
    glUseProgram(0);
}
