#include "render/WaterTargets.h"

#include <GL/glew.h>

namespace {

// Colour the water samples projectively; linear filtering keeps the distorted look-ups smooth.
GLuint createColourTexture(uint32_t width, uint32_t height) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                 GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, texture, 0);
    return texture;
}

GLuint createFramebuffer() {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    return framebuffer;
}

void bindScreen(const WaterTargets& targets) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, static_cast<GLsizei>(targets.screenWidth), static_cast<GLsizei>(targets.screenHeight));
}

} // namespace

WaterTargets* createWaterTargets(uint32_t reflectionWidth, uint32_t reflectionHeight,
                                 uint32_t refractionWidth, uint32_t refractionHeight, uint32_t screenWidth,
                                 uint32_t screenHeight) {
    auto* targets = new WaterTargets;
    targets->reflectionWidth = reflectionWidth;
    targets->reflectionHeight = reflectionHeight;
    targets->refractionWidth = refractionWidth;
    targets->refractionHeight = refractionHeight;
    targets->screenWidth = screenWidth;
    targets->screenHeight = screenHeight;
    createReflectionTarget(*targets);
    createRefractionTarget(*targets);
    return targets;
}

void createReflectionTarget(WaterTargets& targets) {
    targets.reflectionFramebuffer = createFramebuffer();
    targets.reflectionColour = createColourTexture(targets.reflectionWidth, targets.reflectionHeight);
    // The reflection's depth is only tested, never sampled, so a render buffer is enough.
    glGenRenderbuffers(1, &targets.reflectionDepthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, targets.reflectionDepthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, static_cast<GLsizei>(targets.reflectionWidth),
                          static_cast<GLsizei>(targets.reflectionHeight));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              targets.reflectionDepthBuffer);
    bindScreen(targets);
}

void createRefractionTarget(WaterTargets& targets) {
    targets.refractionFramebuffer = createFramebuffer();
    targets.refractionColour = createColourTexture(targets.refractionWidth, targets.refractionHeight);
    // A texture rather than a render buffer: the water reads it to tell how deep the ground lies.
    glGenTextures(1, &targets.refractionDepth);
    glBindTexture(GL_TEXTURE_2D, targets.refractionDepth);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT32, static_cast<GLsizei>(targets.refractionWidth),
                 static_cast<GLsizei>(targets.refractionHeight), 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, targets.refractionDepth, 0);
    bindScreen(targets);
}

void destroyWaterTargets(WaterTargets* targets) {
    if (!targets)
        return;
    glDeleteFramebuffers(1, &targets->reflectionFramebuffer);
    glDeleteTextures(1, &targets->reflectionColour);
    glDeleteRenderbuffers(1, &targets->reflectionDepthBuffer);
    glDeleteFramebuffers(1, &targets->refractionFramebuffer);
    glDeleteTextures(1, &targets->refractionColour);
    glDeleteTextures(1, &targets->refractionDepth);
    delete targets;
}
