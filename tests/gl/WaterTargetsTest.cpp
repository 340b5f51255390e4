#include "render/WaterTargets.h"

#include "EffectsGl.h"

namespace {

class WaterTargetsTest : public GlTest {};

GLint textureLevelParameter(GLuint texture, GLenum name) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
    return value;
}

GLint textureParameter(GLuint texture, GLenum name) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint attachmentParameter(GLuint framebuffer, GLenum attachment, GLenum name) {
    GLint value = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, name, &value);
    return value;
}

// The images are 640 x 480 whatever the window, and the screen size is only kept for the viewport.
TEST_F(WaterTargetsTest, BothTargetsAreCompleteWithTheirImagesAttached) {
    WaterTargets* targets = createWaterTargets(640, 480, 640, 480, 1280, 720);

    EXPECT_EQ(glInteger(GL_FRAMEBUFFER_BINDING), 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, 1280, 720}));

    for (const GLuint framebuffer : {targets->reflectionFramebuffer, targets->refractionFramebuffer}) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        EXPECT_EQ(glInteger(GL_DRAW_BUFFER), GL_COLOR_ATTACHMENT0);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    struct Image {
        GLuint framebuffer;
        GLenum attachment;
        GLuint texture;
    };
    for (const Image& image :
         {Image{targets->reflectionFramebuffer, GL_COLOR_ATTACHMENT0, targets->reflectionColour},
          Image{targets->refractionFramebuffer, GL_COLOR_ATTACHMENT0, targets->refractionColour},
          Image{targets->refractionFramebuffer, GL_DEPTH_ATTACHMENT, targets->refractionDepth}}) {
        EXPECT_EQ(
            attachmentParameter(image.framebuffer, image.attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE),
            GL_TEXTURE);
        EXPECT_EQ(
            attachmentParameter(image.framebuffer, image.attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME),
            static_cast<GLint>(image.texture));
        EXPECT_EQ(textureLevelParameter(image.texture, GL_TEXTURE_WIDTH), 640);
        EXPECT_EQ(textureLevelParameter(image.texture, GL_TEXTURE_HEIGHT), 480);
        EXPECT_EQ(textureParameter(image.texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
        EXPECT_EQ(textureParameter(image.texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    }
    EXPECT_EQ(attachmentParameter(targets->reflectionFramebuffer, GL_DEPTH_ATTACHMENT,
                                  GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE),
              GL_RENDERBUFFER);
    EXPECT_EQ(attachmentParameter(targets->reflectionFramebuffer, GL_DEPTH_ATTACHMENT,
                                  GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME),
              static_cast<GLint>(targets->reflectionDepthBuffer));
    // The water turns the stored depth into a distance, so it must be a depth format with full precision.
    EXPECT_EQ(textureLevelParameter(targets->refractionDepth, GL_TEXTURE_INTERNAL_FORMAT),
              GL_DEPTH_COMPONENT32);
    EXPECT_EQ(textureLevelParameter(targets->refractionDepth, GL_TEXTURE_DEPTH_SIZE), 32);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glViewport(0, 0, 320, 240);
    destroyWaterTargets(targets);
}

TEST_F(WaterTargetsTest, ReleaseDeletesAllSixObjects) {
    WaterTargets* targets = createWaterTargets(640, 480, 640, 480, 320, 240);
    const WaterTargets names = *targets;
    destroyWaterTargets(targets);
    EXPECT_FALSE(glIsFramebuffer(names.reflectionFramebuffer));
    EXPECT_FALSE(glIsTexture(names.reflectionColour));
    EXPECT_FALSE(glIsRenderbuffer(names.reflectionDepthBuffer));
    EXPECT_FALSE(glIsFramebuffer(names.refractionFramebuffer));
    EXPECT_FALSE(glIsTexture(names.refractionColour));
    EXPECT_FALSE(glIsTexture(names.refractionDepth));
}

} // namespace
