#include "assets/Texture.h"

#include "support/CoutCapture.h"
#include "support/GlTest.h"
#include "support/TempTree.h"

#include <FreeImage.h>
#include <cstdlib>
#include <functional>
#include <set>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

std::ostream& operator<<(std::ostream& out, const Rgba& c) {
    return out << '(' << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ')';
}

// Pixel (x, y) with y counted from the bottom row, the way FreeImage stores rows and OpenGL numbers them.
using Pattern = std::function<Rgba(int x, int y)>;

// Every pixel different, in every channel, so a swapped channel, a flipped row or a wrong row pitch shows.
Pattern pattern(int seed) {
    return [seed](int x, int y) {
        return Rgba{10 + 40 * x + seed, 20 + 50 * y + seed, 90 + 7 * x * y + 3 * seed,
                    250 - 30 * x - 20 * y - seed};
    };
}

Pattern solid(Rgba colour) {
    return [colour](int, int) { return colour; };
}

// Writes an image with FreeImage: 32 bits with alpha, 24 bits without, or 8-bit grey (red is the grey).
void writeImage(const fs::path& path, FREE_IMAGE_FORMAT format, int width, int height, int bitsPerPixel,
                const Pattern& pixel) {
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, bitsPerPixel);
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < width; ++x) {
            const Rgba c = pixel(x, y);
            if (bitsPerPixel == 8) {
                row[x] = static_cast<BYTE>(c.r); // FreeImage_Allocate gives 8-bit images a grey palette
                continue;
            }
            BYTE* p = row + x * (bitsPerPixel / 8);
            p[FI_RGBA_RED] = static_cast<BYTE>(c.r);
            p[FI_RGBA_GREEN] = static_cast<BYTE>(c.g);
            p[FI_RGBA_BLUE] = static_cast<BYTE>(c.b);
            if (bitsPerPixel == 32)
                p[FI_RGBA_ALPHA] = static_cast<BYTE>(c.a);
        }
    }
    const bool saved = FreeImage_Save(format, bitmap, path.c_str(), 0);
    FreeImage_Unload(bitmap);
    if (!saved)
        throw std::runtime_error("cannot write test image " + path.string());
}

// What an image of the given depth looks like once it is a texture with an alpha channel.
Pattern asUploaded(const Pattern& written, int bitsPerPixel) {
    return [written, bitsPerPixel](int x, int y) {
        const Rgba c = written(x, y);
        if (bitsPerPixel == 8)
            return Rgba{c.r, c.r, c.r, 255};
        return Rgba{c.r, c.g, c.b, bitsPerPixel == 32 ? c.a : 255};
    };
}

GLint levelParameter(GLenum target, GLint level, GLenum name) {
    GLint value = 0;
    glGetTexLevelParameteriv(target, level, name, &value);
    return value;
}

GLint textureParameter(GLenum target, GLenum name) {
    GLint value = 0;
    glGetTexParameteriv(target, name, &value);
    return value;
}

// Level 0 of a 2D texture or one cube face (the texture must be bound), read back as RGBA bytes.
std::vector<Rgba> readLevel0(GLenum target) {
    const GLint width = levelParameter(target, 0, GL_TEXTURE_WIDTH);
    const GLint height = levelParameter(target, 0, GL_TEXTURE_HEIGHT);
    std::vector<unsigned char> bytes(static_cast<size_t>(width * height * 4));
    glGetTexImage(target, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    std::vector<Rgba> pixels;
    for (size_t i = 0; i < bytes.size(); i += 4)
        pixels.push_back({bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
    return pixels;
}

void expectPixels(const std::vector<Rgba>& actual, int width, int height, const Pattern& expected,
                  int tolerance = 0) {
    ASSERT_EQ(actual.size(), static_cast<size_t>(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgba a = actual[static_cast<size_t>(y * width + x)];
            const Rgba e = expected(x, y);
            const bool close = std::abs(a.r - e.r) <= tolerance && std::abs(a.g - e.g) <= tolerance &&
                               std::abs(a.b - e.b) <= tolerance && a.a == e.a;
            EXPECT_TRUE(close) << "pixel (" << x << ", " << y << ") is " << a << ", expected " << e;
        }
}

class TextureTest : public GlTest {
  protected:
    TempTree tree;
    GLuint scanLimit = 0;
    GLuint placeholder = 0; // bound before each load, so a load that forgets to unbind is caught

    void SetUp() override {
        GlTest::SetUp();
        glGenTextures(1, &placeholder);
        scanLimit = placeholder + 256;
    }
    void TearDown() override {
        glDeleteTextures(1, &placeholder);
        GlTest::TearDown();
    }

    std::string directory() const { return tree.textures().string() + "/"; }
    fs::path file(const std::string& name) const { return tree.textures() / name; }

    std::set<GLuint> liveTextures() const {
        std::set<GLuint> live;
        for (GLuint name = 1; name <= scanLimit; ++name)
            if (glIsTexture(name))
                live.insert(name);
        return live;
    }
};

} // namespace

TEST_F(TextureTest, ImagesBecomeRgbaTexturesWithTheirOwnPixels) {
    struct Case {
        const char* name;
        FREE_IMAGE_FORMAT format;
        int bitsPerPixel;
    };
    // 3 pixels wide, so 24-bit and 8-bit rows carry padding.
    const Case cases[] = {
        {"alpha.png", FIF_PNG, 32},  // keeps its alpha
        {"opaque.png", FIF_PNG, 24}, // becomes alpha 255
        {"opaque.bmp", FIF_BMP, 24},
        {"grey.png", FIF_PNG, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeImage(file(c.name), c.format, 3, 2, c.bitsPerPixel, pattern(c.bitsPerPixel));

        glBindTexture(GL_TEXTURE_2D, placeholder);
        CoutCapture output;
        const Texture texture = loadTexture(directory(), c.name);
        EXPECT_EQ(output.text(), "");
        ASSERT_NE(texture, 0u);
        EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);

        glBindTexture(GL_TEXTURE_2D, texture);
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
        expectPixels(readLevel0(GL_TEXTURE_2D), 3, 2, asUploaded(pattern(c.bitsPerPixel), c.bitsPerPixel));
        // No sampling parameter is touched: OpenGL's defaults apply.
        EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_LINEAR);
        EXPECT_EQ(textureParameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S), GL_REPEAT);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDeleteTextures(1, &texture);
    }
}

TEST_F(TextureTest, OddSizedImageGetsAFullMipmapChain) {
    writeImage(file("odd.png"), FIF_PNG, 3, 5, 32, pattern(1));
    const Texture texture = loadTexture(directory(), "odd.png");
    ASSERT_NE(texture, 0u);
    glBindTexture(GL_TEXTURE_2D, texture);
    const std::pair<GLint, GLint> chain[] = {{3, 5}, {1, 2}, {1, 1}, {0, 0}};
    for (GLint level = 0; level < 4; ++level) {
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH), chain[level].first)
            << "level " << level;
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT), chain[level].second)
            << "level " << level;
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &texture);
}

TEST_F(TextureTest, UnusableFilesPrintOneLineAndMakeNoTexture) {
    tree.write("Resources/Textures/notes.png", "not an image at all\n");
    // 16-bit grey decodes but has no 32-bit form.
    FIBITMAP* deep = FreeImage_AllocateT(FIT_UINT16, 2, 2);
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, deep, file("deep.png").c_str(), 0));
    FreeImage_Unload(deep);

    for (const char* name : {"absent.png", "notes.png", "deep.png"}) {
        SCOPED_TRACE(name);
        glBindTexture(GL_TEXTURE_2D, placeholder);
        const std::set<GLuint> before = liveTextures();
        CoutCapture output;
        EXPECT_EQ(loadTexture(directory(), name), 0u);
        EXPECT_EQ(output.text(), "ERROR LOADING TEXTURE " + directory() + name + "\n");
        EXPECT_EQ(liveTextures(), before);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

TEST_F(TextureTest, CubeFacesLandOnTheirTargetsIn24Bits) {
    // Laid out like the sky box: a directory without its slash and face names that begin with one.
    // The faces come in several depths and formats; all must arrive as the same 24-bit colours.
    struct Face {
        const char* name;
        FREE_IMAGE_FORMAT format;
        int bitsPerPixel;
        Pattern colours;
        int tolerance; // JPEG is lossy
    };
    const Face faces[] = {
        {"/cube_rt.png", FIF_PNG, 24, pattern(0), 0},
        {"/cube_lf.png", FIF_PNG, 32, pattern(3), 0},
        {"/cube_up.JPG", FIF_JPEG, 24, solid({200, 60, 30, 255}), 6},
        {"/cube_dn.png", FIF_PNG, 8, pattern(5), 0},
        {"/cube_bk.bmp", FIF_BMP, 24, pattern(7), 0},
        {"/cube_ft.png", FIF_PNG, 24, pattern(9), 0},
    };
    std::vector<std::string> names;
    for (const Face& face : faces) {
        writeImage(tree.textures().string() + face.name, face.format, 2, 2, face.bitsPerPixel, face.colours);
        names.push_back(face.name);
    }

    glBindTexture(GL_TEXTURE_CUBE_MAP, placeholder);
    CoutCapture output;
    const CubeMap cube = loadCubeMap(tree.textures().string(), names);
    EXPECT_EQ(output.text(), "");
    ASSERT_NE(cube, 0u);
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_CUBE_MAP), 0);

    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    for (GLenum i = 0; i < 6; ++i) {
        SCOPED_TRACE(faces[i].name);
        const GLenum target = GL_TEXTURE_CUBE_MAP_POSITIVE_X + i;
        EXPECT_EQ(levelParameter(target, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
        // Alpha reads back as 255 from an RGB texture whatever the file held.
        expectPixels(readLevel0(target), 2, 2,
                     asUploaded(faces[i].colours, faces[i].bitsPerPixel == 8 ? 8 : 24), faces[i].tolerance);
    }
    EXPECT_EQ(textureParameter(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    for (const GLenum wrap : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R})
        EXPECT_EQ(textureParameter(GL_TEXTURE_CUBE_MAP, wrap), GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDeleteTextures(1, &cube);
}

TEST_F(TextureTest, UnusableCubeFacesStayEmptyWithoutAMessage) {
    const std::string good = "/good.png";
    writeImage(tree.textures().string() + good, FIF_PNG, 4, 4, 24, pattern(2));
    writeImage(tree.textures().string() + "/tall.png", FIF_PNG, 4, 6, 24, pattern(4));
    tree.write("Resources/Textures/text.JPG", "plain text\n");
    // Names past the sixth have no face; the list here carries two extra ones.
    const std::vector<std::string> names{good, "/missing.JPG", "/tall.png", "/text.JPG",
                                         good, good,           good,        good};

    CoutCapture output;
    const CubeMap cube = loadCubeMap(tree.textures().string(), names);
    EXPECT_EQ(output.text(), "");
    ASSERT_NE(cube, 0u);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    const GLint expectedWidth[] = {4, 0, 0, 0, 4, 4};
    for (GLenum i = 0; i < 6; ++i)
        EXPECT_EQ(levelParameter(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i, 0, GL_TEXTURE_WIDTH), expectedWidth[i])
            << "face " << i << ' ' << names[i];
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDeleteTextures(1, &cube);
}
