#pragma once

// Shared by the tests of the water, billboard, sky box and debug passes: a resource tree with the real
// shader files, small generated images, and pixel read-back.

#include "support/GlTest.h"
#include "support/TempTree.h"

#include <FreeImage.h>
#include <array>
#include <filesystem>
#include <glm/glm.hpp>
#include <memory>
#include <string>

namespace effects {

// A temporary tree holding the repository's shaders, with the working folder current, so that the
// passes find "../Resources/Shaders/" exactly as in the program.
class ShaderTree {
  public:
    ShaderTree() : cwd_(std::make_unique<ScopedWorkingDirectory>(tree_.work())) {
        tree_.copyFromRepository("Shaders");
    }
    const TempTree& tree() const { return tree_; }

  private:
    TempTree tree_;
    std::unique_ptr<ScopedWorkingDirectory> cwd_;
};

// A square image of one colour, written with FreeImage in the format the file name does not
// necessarily say: the loaders tell formats by their signature.
inline void writeSolidImage(const std::filesystem::path& path, int size, glm::u8vec4 rgba) {
    FIBITMAP* bitmap = FreeImage_Allocate(size, size, 32);
    for (int y = 0; y < size; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < size; ++x) {
            row[4 * x + FI_RGBA_RED] = rgba.r;
            row[4 * x + FI_RGBA_GREEN] = rgba.g;
            row[4 * x + FI_RGBA_BLUE] = rgba.b;
            row[4 * x + FI_RGBA_ALPHA] = rgba.a;
        }
    }
    FreeImage_Save(FIF_PNG, bitmap, path.string().c_str(), 0);
    FreeImage_Unload(bitmap);
}

// One pixel of the bound read framebuffer, as 0..255 per channel.
inline glm::ivec4 readPixel(int x, int y) {
    std::array<unsigned char, 4> rgba{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

// True when every channel of `actual` lies within `tolerance` of `expected`.
inline bool near(const glm::ivec4& actual, const glm::ivec4& expected, int tolerance = 2) {
    const glm::ivec4 difference = glm::abs(actual - expected);
    return difference.r <= tolerance && difference.g <= tolerance && difference.b <= tolerance &&
           difference.a <= tolerance;
}

inline std::string describe(const glm::ivec4& c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ", " +
           std::to_string(c.a) + ")";
}

// Counts the primitives the vertex stage sends on while it lives: what a draw really issued.
class PrimitiveCounter {
  public:
    PrimitiveCounter() {
        glGenQueries(1, &query_);
        glBeginQuery(GL_PRIMITIVES_GENERATED, query_);
    }
    ~PrimitiveCounter() { glDeleteQueries(1, &query_); }
    PrimitiveCounter(const PrimitiveCounter&) = delete;
    PrimitiveCounter& operator=(const PrimitiveCounter&) = delete;

    GLuint finish() {
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLuint count = 0;
        glGetQueryObjectuiv(query_, GL_QUERY_RESULT, &count);
        return count;
    }

  private:
    GLuint query_ = 0;
};

// A colour target of the given size with a depth buffer, bound for drawing and reading while it lives.
class OffscreenTarget {
  public:
    OffscreenTarget(int width, int height) {
        glGenFramebuffers(1, &framebuffer_);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glGenRenderbuffers(2, renderbuffers_);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers_[0]);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffers_[1]);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glViewport(0, 0, width, height);
    }
    ~OffscreenTarget() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer_);
        glDeleteRenderbuffers(2, renderbuffers_);
    }
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

  private:
    GLuint framebuffer_ = 0;
    GLuint renderbuffers_[2] = {0, 0};
};

} // namespace effects
