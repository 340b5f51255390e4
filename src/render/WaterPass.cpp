#include "render/WaterPass.h"

#include "assets/ShaderProgram.h"
#include "render/WaterSurface.h"
#include "scene/Camera.h"
#include "scene/PointLight.h"

#include <GL/glew.h>
#include <glm/gtc/type_ptr.hpp>

WaterPass::WaterPass() {
    program = createShaderProgram(ShaderDirectory, "Water", false, &buildFailure);
    if (!program)
        return;
    const GLuint name = program->program;
    viewLocation = glGetUniformLocation(name, "view");
    projectionLocation = glGetUniformLocation(name, "projection");
    reflectionLocation = glGetUniformLocation(name, "reflection");
    refractionLocation = glGetUniformLocation(name, "refraction");
    dudvMapLocation = glGetUniformLocation(name, "dudvMap");
    offsetLocation = glGetUniformLocation(name, "offset");
    cameraPosLocation = glGetUniformLocation(name, "cameraPos");
    normalMapLocation = glGetUniformLocation(name, "normalMap");
    depthMapLocation = glGetUniformLocation(name, "depthMap");
    lightPositionLocation = glGetUniformLocation(name, "lightPosition");
    lightColLocation = glGetUniformLocation(name, "lightCol");
}

WaterPass::~WaterPass() {
    destroyShaderProgram(program);
}

void WaterPass::draw(const Camera& camera, const PointLight& light, WaterSurface& surface,
                     const WaterTargets& targets) {
    if (!program)
        return;
    glUseProgram(program->program);
    glUniformMatrix4fv(viewLocation, 1, GL_FALSE, glm::value_ptr(camera.view));
    glUniformMatrix4fv(projectionLocation, 1, GL_FALSE, glm::value_ptr(camera.projection));
    glUniform3f(cameraPosLocation, camera.position.x, camera.position.y, camera.position.z);
    glUniform3f(lightPositionLocation, light.position.x, light.position.y, light.position.z);
    glUniform3fv(lightColLocation, 1, glm::value_ptr(light.color));
    surface.draw(targets, reflectionLocation, refractionLocation, dudvMapLocation, normalMapLocation,
                 depthMapLocation, offsetLocation);
    glUseProgram(0);
}
