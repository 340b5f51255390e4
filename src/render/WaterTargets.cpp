#include "render/WaterTargets.h"

#include "assets/DebugNames.h"

#include <GL/glew.h>
#include <string>

namespace {

// Colour the water samples projectively; linear filtering keeps the distorted look-ups smooth.
GLuint createColourTexture(uint32_t width, uint32_t height, const std::string& target) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    labelObject(GL_TEXTURE, texture, target + " colour");
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                 GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, texture, 0);
    return texture;
}

// Named after the stage that draws into it; its attachments after it and their role.
GLuint createFramebuffer(const std::string& target) {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    labelObject(GL_FRAMEBUFFER, framebuffer, target);
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
    targets.reflectionFramebuffer = createFramebuffer("water reflection");
    targets.reflectionColour =
        createColourTexture(targets.reflectionWidth, targets.reflectionHeight, "water reflection");
    // The reflection's depth is only tested, never sampled, so a render buffer is enough.
    glGenRenderbuffers(1, &targets.reflectionDepthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, targets.reflectionDepthBuffer);
    labelObject(GL_RENDERBUFFER, targets.reflectionDepthBuffer, "water reflection depth");
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, static_cast<GLsizei>(targets.reflectionWidth),
                          static_cast<GLsizei>(targets.reflectionHeight));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              targets.reflectionDepthBuffer);
    bindScreen(targets);
}

void createRefractionTarget(WaterTargets& targets) {
    targets.refractionFramebuffer = createFramebuffer("water refraction");
    targets.refractionColour =
        createColourTexture(targets.refractionWidth, targets.refractionHeight, "water refraction");
    // A texture rather than a render buffer: the water reads it to tell how deep the ground lies.
    glGenTextures(1, &targets.refractionDepth);
    glBindTexture(GL_TEXTURE_2D, targets.refractionDepth);
    labelObject(GL_TEXTURE, targets.refractionDepth, "water refraction depth");
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
