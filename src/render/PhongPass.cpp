#include "render/PhongPass.h"

#include "assets/ShaderProgram.h"
#include "scene/Camera.h"
#include "scene/PointLight.h"
#include "scene/SceneObject.h"

#include <GL/glew.h>
#include <glm/gtc/type_ptr.hpp>

namespace {

// The texture unit the shadow cube map is bound to while the final image is drawn; the object's own
// draw binds its diffuse texture on unit 0.
constexpr GLint ShadowTextureUnit = 1;

// A plane every point lies in front of (distance w = 1). Mesa's llvmpipe clips by the shader's
// gl_ClipDistance[0] even while GL_CLIP_DISTANCE0 is disabled, so the water images' last plane, left in
// the program, would cut the final image in half.
constexpr glm::vec4 KeepEverything{0.0f, 0.0f, 0.0f, 1.0f};

} // namespace

PhongPass::PhongPass() {
    program = createShaderProgram(ShaderDirectory, "Phong", false, &buildFailure);
    if (!program)
        return;
    const GLuint name = program->program;
    lightPositionLocation = glGetUniformLocation(name, "light.position");
    lightColorLocation = glGetUniformLocation(name, "light.color");
    lightConstantLocation = glGetUniformLocation(name, "light.constant");
    lightLinearLocation = glGetUniformLocation(name, "light.linear");
    lightQuadraticLocation = glGetUniformLocation(name, "light.quadratic");
    diffuseLocation = glGetUniformLocation(name, "diffuse");
    shadowLocation = glGetUniformLocation(name, "shadow");
    viewLocation = glGetUniformLocation(name, "view");
    projectionLocation = glGetUniformLocation(name, "projection");
    planeLocation = glGetUniformLocation(name, "plane");
    camPosLocation = glGetUniformLocation(name, "camPos");
}

PhongPass::~PhongPass() {
    destroyShaderProgram(program);
    program = nullptr;
}

void PhongPass::setCameraAndLight(const Camera& camera, const PointLight& light) const {
    glUniformMatrix4fv(viewLocation, 1, GL_FALSE, glm::value_ptr(camera.view));
    glUniformMatrix4fv(projectionLocation, 1, GL_FALSE, glm::value_ptr(camera.projection));
    glUniform3fv(lightPositionLocation, 1, glm::value_ptr(light.position));
    glUniform3fv(lightColorLocation, 1, glm::value_ptr(light.color));
    glUniform3fv(camPosLocation, 1, glm::value_ptr(camera.position));
    glUniform1f(lightConstantLocation, light.constant);
    glUniform1f(lightLinearLocation, light.linear);
    glUniform1f(lightQuadraticLocation, light.quadratic);
}

void PhongPass::drawClipped(const Camera& camera, const PointLight& light, SceneObject& object,
                            const glm::vec4& plane) {
    if (!program)
        return;
    glUseProgram(program->program);
    setCameraAndLight(camera, light);
    glUniform4f(planeLocation, plane.x, plane.y, plane.z, plane.w);
    object.draw(diffuseLocation);
    glUseProgram(0);
}

void PhongPass::drawShadowed(const Camera& camera, const PointLight& light, SceneObject& object,
                             uint32_t shadowCubeTexture) {
    if (!program)
        return;
    glUseProgram(program->program);
    setCameraAndLight(camera, light);
    glUniform4f(planeLocation, KeepEverything.x, KeepEverything.y, KeepEverything.z, KeepEverything.w);
    glActiveTexture(GL_TEXTURE0 + ShadowTextureUnit);
    glBindTexture(GL_TEXTURE_CUBE_MAP, shadowCubeTexture);
    glUniform1i(shadowLocation, ShadowTextureUnit);
    object.draw(diffuseLocation); // leaves unit 0 active
    glUseProgram(0);

    // The shadow map is bound only while the final image samples it: unit 1 is left without a cube map.
    glActiveTexture(GL_TEXTURE0 + ShadowTextureUnit);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glActiveTexture(GL_TEXTURE0);
}
