#include "render/ShadowCubeMap.h"

#include "assets/DebugNames.h"

#include <GL/glew.h>
#include <iostream>

namespace {

void allocateDepthFaces(const ShadowCubeMap& cubeMap) {
    for (GLenum face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT32, cubeMap.width,
                     cubeMap.height, 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
}

// Nearest filtering: the Phong shader compares single stored distances itself, and blending depths of
// neighbouring texels would invent occluders at silhouette edges.
void setSamplingParameters() {
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
}

} // namespace

ShadowCubeMap* createShadowCubeMap() {
    auto* cubeMap = new ShadowCubeMap;
    cubeMap->width = 1024;
    cubeMap->height = 1024;

    glGenFramebuffers(1, &cubeMap->framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, cubeMap->framebuffer);
    labelObject(GL_FRAMEBUFFER, cubeMap->framebuffer, "shadow");
    glGenTextures(1, &cubeMap->cubeTexture);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap->cubeTexture);
    labelObject(GL_TEXTURE, cubeMap->cubeTexture, "shadow cube");
    allocateDepthFaces(*cubeMap);
    setSamplingParameters();

    // One layered attachment for the whole cube: the geometry stage picks the face of every triangle.
    glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, cubeMap->cubeTexture, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        std::cout << "ERROR: FRAMEBUFFER NOT COMPLETE" << std::endl;

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return cubeMap;
}

void destroyShadowCubeMap(ShadowCubeMap* cubeMap) {
    if (!cubeMap)
        return;
    glDeleteTextures(1, &cubeMap->cubeTexture);
    glDeleteFramebuffers(1, &cubeMap->framebuffer);
    delete cubeMap;
}
