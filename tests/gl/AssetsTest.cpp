// Loading from files on a hidden window: shader programs, textures and cube maps, meshes and the resource
// catalogue. What a user relies on: the exact failure lines, survival of every malformed file, and
// nothing left behind by a failure or a release.
#include "assets/Mesh.h"
#include "assets/ResourceCatalogue.h"
#include "assets/ShaderProgram.h"
#include "assets/Texture.h"
#include "support/CoutCapture.h"
#include "support/GlTest.h"
#include "support/TempTree.h"

#include <FreeImage.h>
#include <assimp/scene.h>
#include <cmath>
#include <dlfcn.h>
#include <fstream>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

// Every decode the engine asks of FreeImage comes here first: this definition takes the place of the
// library's in the test executable. Full decodes and header-only loads are counted, and while
// `refuseDecodes` is set no full decode reaches the library, so that a hostile image the loader fails to
// refuse in time costs nothing but the count.
int fullDecodes = 0, headerLoads = 0;
bool refuseDecodes = false;
extern "C" FIBITMAP* DLL_CALLCONV FreeImage_LoadFromHandle(FREE_IMAGE_FORMAT format, FreeImageIO* io,
                                                           fi_handle handle, int flags) {
    using Load = FIBITMAP* (*)(FREE_IMAGE_FORMAT, FreeImageIO*, fi_handle, int);
    static const auto library = reinterpret_cast<Load>(dlsym(RTLD_NEXT, "FreeImage_LoadFromHandle"));
    const bool decode = (flags & FIF_LOAD_NOPIXELS) == 0;
    fullDecodes += decode;
    headerLoads += !decode;
    return decode && refuseDecodes ? nullptr : library(format, io, handle, flags);
}

namespace {

class AssetsTest : public GlTest {
  protected:
    std::string folder(const fs::path& path) const { return path.string() + "/"; }
    void mkfifoAt(const fs::path& path) const { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0) << path; }
    TempTree tree;
};

const std::string GoodVertex = "#version 450 core\nlayout(location = 0) in vec3 position;\n"
                               "void main() { gl_Position = vec4(position, 1.0); }\n";
const std::string GoodFragment = "#version 450 core\nout vec4 colour;\nvoid main() { colour = vec4(1.0); }\n";
const std::string BrokenStage = "#version 450 core\nvoid main() { this is not glsl; }\n";
// Compiles on its own but cannot link: the function is declared and never defined.
const std::string UnlinkableFragment =
    "#version 450 core\nout vec4 colour;\nvec4 shade();\nvoid main() { colour = shade(); }\n";

// The driver's own compile log for a stage, obtained without the code under test.
std::string driverLog(GLenum type, const std::string& source) {
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    char log[4096] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    glDeleteShader(shader);
    return log;
}

TEST_F(AssetsTest, AShaderBuildThatFailsSaysWhyOnceAndLeavesNothingBehind) {
    const std::string base = folder(tree.shaders()) + "Pass";
    const struct {
        std::map<std::string, std::string> files; // extension to source; "dir" and "fifo" make one
        bool geometry;
        std::string expected;
        std::string failure{}; // how the reason the pass keeps starts, where it matters here
    } cases[] = {
        {{{".vert", GoodVertex}, {".frag", GoodFragment}}, false, ""},
        {{}, false, "ERROR OPENING FILE: " + base + ".vert\nERROR OPENING FILE: " + base + ".frag\n"},
        {{{".vert", "dir"}, {".frag", GoodFragment}}, false, "ERROR OPENING FILE: " + base + ".vert\n"},
        {{{".vert", GoodVertex}, {".frag", "fifo"}}, false, "ERROR OPENING FILE: " + base + ".frag\n"},
        {{{".vert", BrokenStage}, {".frag", BrokenStage}},
         false,
         "COMPILER ERROR:" + base + ".vert" + driverLog(GL_VERTEX_SHADER, BrokenStage) +
             "\nCOMPILER ERROR:" + base + ".frag" + driverLog(GL_FRAGMENT_SHADER, BrokenStage) + "\n",
         "Pass.vert: " + driverLog(GL_VERTEX_SHADER, BrokenStage).substr(0, 12)},
        {{{".vert", GoodVertex}, {".frag", UnlinkableFragment}}, false, "ERROR LINKING PROGRAM SHADER: *"},
        {{{".vert", GoodVertex}, {".frag", GoodFragment}}, true, "ERROR OPENING FILE: " + base + ".geom\n"},
        {{{".vert", GoodVertex}, {".frag", GoodFragment}, {".geom", BrokenStage}},
         true,
         "COMPILER ERROR:" + base + ".geom" + driverLog(GL_GEOMETRY_SHADER, BrokenStage) + "\n",
         "Pass.geom: " + driverLog(GL_GEOMETRY_SHADER, BrokenStage).substr(0, 12)},
    };
    clearDebugErrors(); // the driver's own compile errors above
    for (const auto& c : cases) {
        fs::remove_all(tree.shaders());
        fs::create_directories(tree.shaders());
        for (const auto& [extension, source] : c.files) {
            if (source == "dir")
                fs::create_directories(base + extension);
            else if (source == "fifo")
                mkfifoAt(base + extension);
            else
                tree.write("Resources/Shaders/Pass" + extension, source);
        }
        const auto before = liveGlObjects();
        CoutCapture output;
        std::string failure = "a stale reason";
        ShaderProgram* shader = createShaderProgram(folder(tree.shaders()), "Pass", c.geometry, &failure);
        acceptCompilerMessages(output.text());
        EXPECT_EQ(failure.substr(0, c.failure.size()), c.failure);
        EXPECT_EQ(failure.empty(), c.expected.empty()) << failure;
        EXPECT_EQ(failure.find('\n'), std::string::npos) << "more than the first line: " << failure;
        if (c.expected.empty()) {
            ASSERT_NE(shader, nullptr) << output.text();
            EXPECT_EQ(output.text(), "");
            GLint linked = 0;
            glGetProgramiv(shader->program, GL_LINK_STATUS, &linked);
            EXPECT_EQ(linked, GL_TRUE);
            destroyShaderProgram(shader);
        } else if (c.expected.back() == '*') { // the link log follows on the same line
            EXPECT_EQ(shader, nullptr);
            const std::string start = c.expected.substr(0, c.expected.size() - 1);
            EXPECT_EQ(output.text().rfind(start, 0), 0u) << output.text();
            EXPECT_GT(output.text().find("\nDELETING ERRONEOUS SHADER: Pass\n"), start.size() + 1)
                << output.text();
        } else {
            EXPECT_EQ(shader, nullptr);
            EXPECT_EQ(output.text(), c.expected + "DELETING ERRONEOUS SHADER: Pass\n");
        }
        EXPECT_EQ(liveGlObjects(), before);
    }
}

// Every pixel different in every channel, so that a swapped channel, a flipped row or a wrong row pitch
// shows. Written with FreeImage: 32 bits with alpha, 24 without, 8 as grey (red is the grey).
glm::u8vec4 patternAt(int x, int y) {
    return {10 + 40 * x, 20 + 50 * y, 90 + 7 * x * y, 250 - 30 * x - 20 * y};
}

void writeImage(const fs::path& path, FREE_IMAGE_FORMAT format, int width, int height, int bits,
                int flags = 0) {
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const glm::u8vec4 c = patternAt(x, y);
            BYTE* p = FreeImage_GetScanLine(bitmap, y) + x * (bits / 8);
            p[0] = c.r; // the grey of an 8-bit image
            if (bits >= 24) {
                p[FI_RGBA_RED] = c.r;
                p[FI_RGBA_GREEN] = c.g;
                p[FI_RGBA_BLUE] = c.b;
            }
            if (bits == 32)
                p[FI_RGBA_ALPHA] = c.a;
        }
    ASSERT_TRUE(FreeImage_Save(format, bitmap, path.c_str(), flags)) << path;
    FreeImage_Unload(bitmap);
}

// A small real image whose header then claims another size: little-endian 32-bit (BMP) or 16-bit (TGA,
// the first frame of a GIF) fields, big-endian 16-bit fields after the JPEG frame marker. DDS and SGI,
// which FreeImage does not write, are bare headers (24-bit pixels, three channels).
void writeLyingImage(const fs::path& path, FREE_IMAGE_FORMAT format, uint32_t width, uint32_t height) {
    std::string bytes(format == FIF_DDS ? 128 : 512, '\0');
    if (format != FIF_DDS && format != FIF_SGI) {
        writeImage(path, format, 8, 8, format == FIF_GIF ? 8 : 24);
        bytes = readFile(path);
    }
    const auto put = [&](size_t at, uint32_t value, int size, bool bigEndian) {
        for (int i = 0; i < size; ++i)
            bytes[at + size_t(i)] = char(value >> 8 * (bigEndian ? size - 1 - i : i));
    };
    if (format == FIF_BMP) {
        put(18, width, 4, false);
        put(22, height, 4, false);
    } else if (format == FIF_TARGA || format == FIF_GIF) { // the frame, after FreeImage's extensions
        const size_t at = format == FIF_TARGA ? 12 : bytes.find(std::string("\x2C\0\0\0\0", 5), 13) + 5;
        put(at, width, 2, false);
        put(at + 2, height, 2, false);
    } else if (format == FIF_DDS) { // magic, header size, height, width, pixel format size
        bytes.replace(0, 4, "DDS ");
        put(4, 124, 4, false);
        put(12, height, 4, false);
        put(16, width, 4, false);
        put(76, 32, 4, false);
    } else if (format == FIF_SGI) { // magic, one byte a channel, three dimensions, their sizes
        put(0, 474, 2, true);
        put(3, 1, 1, true);
        put(4, 3, 2, true);
        put(6, width, 2, true);
        put(8, height, 2, true);
        put(10, 3, 2, true);
    } else {
        const size_t frame = bytes.find("\xFF\xC0");
        put(frame + 5, height, 2, true);
        put(frame + 7, width, 2, true);
    }
    std::ofstream(path, std::ios::binary) << bytes;
}

// FreeImage gives a GIF's frame its own colour table; moved before the frame, it becomes the global table
// that most GIFs carry.
void makeColourTableGlobal(const fs::path& path) {
    std::string bytes = readFile(path);
    const size_t frame = bytes.find(std::string("\x2C\0\0\0\0", 5), 13),
                 size = 3u << ((bytes[frame + 9] & 7) + 1);
    const std::string table = bytes.substr(frame + 10, size);
    bytes[10] = char(0x80 | (bytes[10] & 0x70) | (bytes[frame + 9] & 7));
    bytes.erase(frame + 10, size).at(frame + 9) = 0;
    std::ofstream(path, std::ios::binary) << bytes.insert(13, table);
}

// A JPEG segment: marker, length (big-endian, counting itself) and payload.
std::string jpegSegment(char marker, const std::string& payload) {
    const size_t length = payload.size() + 2;
    return std::string{'\xFF', marker, char(length >> 8), char(length)} + payload;
}

// An Exif segment whose second directory names the JPEG `thumbnail` from `offset` on (44: just after it).
std::string exifSegment(const std::string& thumbnail, uint32_t offset = 44) {
    const auto word = [](uint32_t value) {
        return std::string{char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
    };
    const std::string tiff = std::string("II*\0\x08\0\0\0\0\0\x0E\0\0\0\x02\0\x01\x02\x04\0\x01\0\0\0", 24) +
                             word(offset) + std::string("\x02\x02\x04\0\x01\0\0\0", 8) +
                             word(uint32_t(thumbnail.size())) + word(0);
    return jpegSegment('\xE1', std::string("Exif\0\0", 6) + tiff + thumbnail);
}

// Level 0 of a 2D texture or a cube face (bound) against the pattern, as RGBA.
void expectPattern(GLenum target, int width, int height, bool grey, bool alpha) {
    GLint size[2] = {};
    glGetTexLevelParameteriv(target, 0, GL_TEXTURE_WIDTH, &size[0]);
    glGetTexLevelParameteriv(target, 0, GL_TEXTURE_HEIGHT, &size[1]);
    ASSERT_EQ(std::make_pair(size[0], size[1]), std::make_pair(width, height));
    std::vector<glm::u8vec4> pixels(size_t(width * height));
    glGetTexImage(target, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const glm::u8vec4 c = patternAt(x, y);
            const glm::u8vec4 expected =
                grey ? glm::u8vec4(c.r, c.r, c.r, 255) : glm::u8vec4(c.r, c.g, c.b, alpha ? c.a : 255);
            EXPECT_EQ(pixels[size_t(y * width + x)], expected) << "pixel " << x << ", " << y;
        }
}

TEST_F(AssetsTest, ImagesBecomeMipmappedRgbaTexturesOfTheirOwnPixels) {
    const std::tuple<const char*, FREE_IMAGE_FORMAT, int> images[] = {{"alpha.png", FIF_PNG, 32},
                                                                      {"opaque.bmp", FIF_BMP, 24},
                                                                      {"grey.png", FIF_PNG, 8},
                                                                      {"grey.gif", FIF_GIF, 8},
                                                                      {"global.gif", FIF_GIF, 8}};
    for (const auto& [name, format, bits] : images) {
        writeImage(tree.textures() / name, format, 3, 5, bits); // 3 wide: 24- and 8-bit rows carry padding
        if (name == std::string("global.gif"))
            makeColourTableGlobal(tree.textures() / name);
        CoutCapture output;
        const Texture texture = loadTexture(folder(tree.textures()), name);
        ASSERT_NE(texture, 0u) << name;
        EXPECT_EQ(output.text(), "");
        glBindTexture(GL_TEXTURE_2D, texture);
        expectPattern(GL_TEXTURE_2D, 3, 5, bits == 8, bits == 32);
        GLint last = 0; // 3 x 5, 1 x 2, 1 x 1: the chain is complete, so the default filter samples it
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_HEIGHT, &last);
        EXPECT_EQ(last, 1) << name;
        glBindTexture(GL_TEXTURE_2D, 0);
        glDeleteTextures(1, &texture);
    }
}

TEST_F(AssetsTest, UnusableImagesAreReportedAndRefusedBeforeTheirPixelsAreDecoded) {
    tree.write("Resources/Textures/notes.png", "not an image at all\n");
    FIBITMAP* deep = FreeImage_AllocateT(FIT_UINT16, 2, 2); // decodes, but has no 32-bit form
    FreeImage_Save(FIF_PNG, deep, (tree.textures() / "deep.png").c_str(), 0);
    FreeImage_Unload(deep);
    fs::create_directories(tree.textures() / "folder.png");
    mkfifoAt(tree.textures() / "fifo.png");
    writeLyingImage(tree.textures() / "tall.bmp", FIF_BMP, 1, 33554432);
    writeLyingImage(tree.textures() / "huge.bmp", FIF_BMP, 65535, 65535);
    writeLyingImage(tree.textures() / "huge.tga", FIF_TARGA, 65535, 65535);
    // 20,000 read with its bytes swapped is 8,270, which would fit.
    for (const auto& [name, format] : {std::pair{"huge.jpg", FIF_JPEG},
                                       {"huge.gif", FIF_GIF},
                                       {"huge.dds", FIF_DDS},
                                       {"huge.sgi", FIF_SGI}})
        writeLyingImage(tree.textures() / name, format, 20000, 20000);
    writeImage(tree.textures() / "wide.png", FIF_PNG, glInteger(GL_MAX_TEXTURE_SIZE) + 1, 1, 24);
    // XBM gives its size only as it decodes: not decoded at all.
    tree.write("Resources/Textures/mark.xbm", "#define mark_width 8\n#define mark_height 8\n"
                                              "static char mark_bits[] = {0, 0, 0, 0, 0, 0, 0, 0};\n");
    // Formats whose header-only load can cost seconds and gigabytes, or that decode to no 32-bit form: only
    // their signatures, since no load of any kind may reach them.
    for (const auto& [name, bytes] : {std::pair{"tall.exr", "\x76\x2f\x31\x01\x02"s},
                                      {"tall.hdr", "#?RADIANCE\n"s},
                                      {"tall.pfm", "PF\n1 1\n-1\n"s},
                                      {"float.tif", "II*\0\x08\0\0\0"s},
                                      {"thumb.psd", "8BPS\0\1"s},
                                      {"exif.webp", "RIFF\0\0\0\0WEBPVP8 "s},
                                      {"text.ico", "\0\0\1\0\1\0"s},
                                      {"prog.jng", "\x8bJNG\r\n\x1a\n"s},
                                      {"exif.jxr", "II\xbc\x01"s}})
        tree.write("Resources/Textures/"s + name, bytes);
    // JPEGs of 8 x 8 whose thumbnails, which FreeImage decodes with them, outweigh them: as a JFIF extension,
    // in Exif, between the scans of a progressive image; and one whose Exif offset wraps around 32 bits.
    for (const auto& [name, side, flags] :
         {std::tuple{"8.jpg", 8, 0}, {"16.jpg", 16, 0}, {"4.jpg", 4, 0}, {"scans.jpg", 8, JPEG_PROGRESSIVE}})
        writeImage(tree.textures() / name, FIF_JPEG, side, side, 24, flags);
    const std::string image = readFile(tree.textures() / "8.jpg"), big = readFile(tree.textures() / "16.jpg"),
                      small = readFile(tree.textures() / "4.jpg"),
                      scans = readFile(tree.textures() / "scans.jpg");
    const auto withSegment = [](std::string jpeg, size_t at, const std::string& segment) {
        return jpeg.insert(at, segment);
    };
    tree.write("Resources/Textures/jfxx.jpg",
               withSegment(image, 2, jpegSegment('\xE0', "JFXX\0\x10"s + big)));
    tree.write("Resources/Textures/exif.jpg", withSegment(image, 2, exifSegment(big)));
    tree.write("Resources/Textures/wrap.jpg", withSegment(image, 2, exifSegment(small, 0xFFFFFFF0u)));
    tree.write("Resources/Textures/scans.jpg",
               withSegment(scans, scans.find("\xFF\xDA", scans.find("\xFF\xDA") + 2),
                           jpegSegment('\xE0', "JFXX\0\x10"s + big)));
    for (const std::string name :
         {"absent.png", "notes.png", "deep.png", "folder.png", "fifo.png",  "tall.bmp",  "huge.bmp",
          "huge.tga",   "huge.jpg",  "huge.gif", "huge.dds",   "huge.sgi",  "wide.png",  "mark.xbm",
          "tall.exr",   "tall.hdr",  "tall.pfm", "float.tif",  "thumb.psd", "exif.webp", "text.ico",
          "prog.jng",   "exif.jxr",  "jfxx.jpg", "exif.jpg",   "wrap.jpg",  "scans.jpg"}) {
        const auto before = liveGlObjects();
        fullDecodes = headerLoads = 0;
        refuseDecodes = name != "deep.png"; // only its decoding shows that it has no 32-bit form
        CoutCapture output;
        EXPECT_EQ(loadTexture(folder(tree.textures()), name), 0u) << name;
        refuseDecodes = false;
        EXPECT_EQ(output.text(), "ERROR LOADING TEXTURE " + folder(tree.textures()) + name + "\n");
        EXPECT_EQ(fullDecodes, int(name == "deep.png")) << name << " was decoded";
        EXPECT_EQ(headerLoads, int(name.find(".bmp") != name.npos || name == "huge.tga")) << name;
        EXPECT_EQ(liveGlObjects(), before) << name;
    }
    // Thumbnails smaller than their image are decoded with it.
    tree.write("Resources/Textures/thumbnails.jpg",
               withSegment(withSegment(image, 2, jpegSegment('\xE0', "JFXX\0\x10"s + small)), 2,
                           exifSegment(small)));
    const Texture thumbnailed = loadTexture(folder(tree.textures()), "thumbnails.jpg");
    EXPECT_NE(thumbnailed, 0u);
    glDeleteTextures(1, &thumbnailed);
}

// Laid out like the sky box: a folder without its slash and face names that begin with one. Faces of other
// depths arrive as 24-bit RGB; faces that cannot be used stay empty, silently; names past the sixth have
// no face to go to.
TEST_F(AssetsTest, CubeFacesLandOnTheirTargetsAsRgbAndUnusableOnesStayEmpty) {
    const std::string textures = tree.textures().string();
    writeImage(textures + "/rgb.png", FIF_PNG, 2, 2, 32);
    writeImage(textures + "/grey.bmp", FIF_BMP, 2, 2, 8);
    writeImage(textures + "/tall.png", FIF_PNG, 2, 3, 24);
    writeLyingImage(textures + "/huge.bmp", FIF_BMP, 65535, 65535);
    mkfifoAt(textures + "/fifo.png");
    CoutCapture output;
    const CubeMap cube = loadCubeMap(textures, {"/rgb.png", "/missing.JPG", "/grey.bmp", "/tall.png",
                                                "/huge.bmp", "/fifo.png", "/rgb.png"});
    EXPECT_EQ(output.text(), "");
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    expectPattern(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 2, 2, false, false);
    expectPattern(GL_TEXTURE_CUBE_MAP_POSITIVE_Y, 2, 2, true, false);
    for (const GLenum empty : {GL_TEXTURE_CUBE_MAP_NEGATIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y,
                               GL_TEXTURE_CUBE_MAP_POSITIVE_Z, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z})
        expectPattern(empty, 0, 0, false, false);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDeleteTextures(1, &cube);
}

const std::string Identity = "1 0 0 0  0 1 0 0  0 0 1 0  0 0 0 1";

// A COLLADA file with the triangle "tri" (0,0,0), (2,0,0), (0,4,0) and `nodes` in its visual scene.
// assimp turns the up axis into the root node's transform: Z_UP is a turn by -90 degrees about x.
std::string collada(const std::string& nodes, const std::string& upAxis = "Y_UP",
                    const std::string& positions = "0 0 0 2 0 0 0 4 0") {
    return "<?xml version=\"1.0\"?>\n<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" "
           "version=\"1.4.1\">\n<asset><up_axis>" +
           upAxis +
           "</up_axis></asset>\n<library_geometries><geometry id=\"tri\"><mesh>\n"
           "<source id=\"p\"><float_array id=\"a\" count=\"9\">" +
           positions +
           "</float_array><technique_common><accessor source=\"#a\" count=\"3\" stride=\"3\">"
           "<param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/><param name=\"Z\" "
           "type=\"float\"/></accessor></technique_common></source>\n"
           "<vertices id=\"v\"><input semantic=\"POSITION\" source=\"#p\"/></vertices>\n"
           "<triangles count=\"1\"><input semantic=\"VERTEX\" source=\"#v\" offset=\"0\"/><p>0 1 2</p>"
           "</triangles></mesh></geometry></library_geometries>\n"
           "<library_visual_scenes><visual_scene id=\"s\">" +
           nodes +
           "</visual_scene></library_visual_scenes>\n<scene><instance_visual_scene url=\"#s\"/></scene>\n"
           "</COLLADA>\n";
}

std::string node(const std::string& name, const std::string& rowMajor, bool withMesh = true,
                 const std::string& children = "") {
    return "<node id=\"" + name + "\"><matrix>" + rowMajor + "</matrix>" +
           (withMesh ? "<instance_geometry url=\"#tri\"/>" : "") + children + "</node>\n";
}

const std::string ObjTriangle = "o tri\nv 0 0 0\nv 2 0 0\nv 0 4 0\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 0 1\n"
                                "f 1/1/1 2/2/1 3/3/1\n";

template <typename T> std::vector<T> bufferContents(uint32_t buffer) {
    GLint64 bytes = 0;
    glGetNamedBufferParameteri64v(buffer, GL_BUFFER_SIZE, &bytes);
    std::vector<T> values(size_t(bytes) / sizeof(T));
    glGetNamedBufferSubData(buffer, 0, GLsizeiptr(values.size() * sizeof(T)), values.data());
    return values;
}

class MeshTest : public AssetsTest {
  protected:
    void TearDown() override {
        for (Mesh* mesh : loaded)
            destroyMesh(mesh);
        AssetsTest::TearDown();
    }
    Mesh* load(const std::string& name, const std::string& content) {
        tree.write("Resources/Meshes/" + name, content);
        loaded.push_back(loader.loadMesh(name, folder(tree.meshes())));
        return loaded.back();
    }
    MeshLoader loader;
    std::vector<Mesh*> loaded;
};

// Every child of the root is one instance of the first child's geometry, placed at root x child;
// grandchildren are not visited.
TEST_F(MeshTest, EachChildOfTheRootPlacesTheFirstChildsGeometryOnce) {
    const Mesh* mesh = load(
        "three.dae", collada(node("a", "1 0 0 1  0 1 0 2  0 0 1 3  0 0 0 1") +
                                 node("b", "2 0 0 0  0 2 0 0  0 0 2 0  0 0 0 1", false, node("c", Identity)) +
                                 node("d", "0 -1 0 0  1 0 0 0  0 0 1 0  0 0 0 1"),
                             "Z_UP"));
    ASSERT_NE(mesh, nullptr);
    const glm::mat4 root = glm::rotate(glm::mat4(1.0f), -glm::half_pi<float>(), glm::vec3(1, 0, 0));
    const glm::mat4 children[] = {glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3)),
                                  glm::scale(glm::mat4(1.0f), glm::vec3(2.0f)),
                                  glm::rotate(glm::mat4(1.0f), glm::half_pi<float>(), glm::vec3(0, 0, 1))};
    ASSERT_EQ(mesh->instanceCount, 3);
    ASSERT_EQ(mesh->instanceTransforms.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const glm::mat4 off = mesh->instanceTransforms[i] - root * children[i];
        EXPECT_LT(glm::length(off[0]) + glm::length(off[1]) + glm::length(off[2]) + glm::length(off[3]),
                  1e-4f)
            << "instance " << i;
    }
}

TEST_F(MeshTest, AModelGivesItsVerticesTheirMeanItsFirstTriangleOfEachPolygonAndItsTexture) {
    textureTable().emplace("tex.png", 42u);
    tree.write("Resources/Meshes/m.mtl", "newmtl m\nmap_Kd tex.png\n");
    const Mesh* mesh = load("tri.obj", "mtllib m.mtl\nusemtl m\n" + ObjTriangle);
    // A material library that is a FIFO is skipped like a missing one, without waiting for a writer.
    mkfifoAt(tree.meshes() / "fifo.mtl");
    const Mesh* fed = load("fed.obj", "mtllib fifo.mtl\nusemtl m\n" + ObjTriangle);
    textureTable().erase("tex.png");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->texture, 42u);
    ASSERT_NE(fed, nullptr);
    EXPECT_EQ(fed->texture, 0u);
    EXPECT_NEAR(glm::distance(mesh->center, glm::vec3(2.0f / 3.0f, 4.0f / 3.0f, 0.0f)), 0.0f, 1e-6f);
    EXPECT_EQ(bufferContents<glm::vec3>(mesh->buffers->positionBuffer),
              (std::vector<glm::vec3>{{0, 0, 0}, {2, 0, 0}, {0, 4, 0}}));
    EXPECT_EQ(bufferContents<glm::vec3>(mesh->buffers->normalBuffer), std::vector<glm::vec3>(3, {0, 0, 1}));
    EXPECT_EQ(bufferContents<glm::vec2>(mesh->buffers->texCoordBuffer),
              (std::vector<glm::vec2>{{0, 0}, {1, 0}, {0, 1}})); // v as stored, not flipped

    // A quad gives its first triangle, lines and points nothing; normals come from the triangles, texture
    // coordinates are (0, 0). (OBJ gives every face corner its own vertex: quad 0-3, triangle 4-6, ...)
    const Mesh* quad = load("quad.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 -1\n"
                                        "f 1 2 3 4\nf 1 2 5\nl 1 2\np 3\n");
    ASSERT_NE(quad, nullptr);
    EXPECT_EQ(bufferContents<uint32_t>(quad->buffers->indexBuffer),
              (std::vector<uint32_t>{0, 1, 2, 4, 5, 6}));
    const std::vector<glm::vec3> normals = bufferContents<glm::vec3>(quad->buffers->normalBuffer);
    ASSERT_EQ(normals.size(), 10u);
    EXPECT_EQ(normals[2], glm::vec3(0, 0, 1));
    EXPECT_EQ(normals[6], glm::vec3(0, 1, 0));
    EXPECT_EQ(bufferContents<glm::vec2>(quad->buffers->texCoordBuffer), std::vector<glm::vec2>(10, {0, 0}));
}

TEST_F(MeshTest, MalformedModelsAreRefusedWithOneLineAndLeaveNothingBehind) {
    fs::create_directories(tree.meshes() / "folder.obj");
    mkfifoAt(tree.meshes() / "fifo.dae");
    // An empty content stands for a file the test does not write.
    const std::pair<std::string, std::string> cases[] = {
        {"absent.obj", ""},
        {"folder.obj", ""},
        {"fifo.dae", ""},
        {"empty.obj", "\n"},
        {"garbage.dae", "this is not a model\n"},
        {"nochild.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n"}, // the root carries the mesh itself
        {"firstchildbare.obj", "o bare\nv 0 0 0\nv 1 0 0\nv 0 1 0\no tri\nf 1 2 3\n"},
        {"onlylines.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nl 1 2\np 3\n"},
        {"nonodes.dae", collada("")},
        {"barefirst.dae", collada(node("bare", Identity, false) + node("t", Identity))},
        {"nanvertex.obj", "o t\nv 0 0 0\nv nan 0 0\nv 0 1 0\nf 1 2 3\n"},
        {"infnormal.obj", "o t\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 inf\nf 1//1 2//1 3//1\n"},
        {"nanmatrix.dae", collada(node("a", "1 0 0 nan  0 1 0 0  0 0 1 0  0 0 0 1"))},
        {"overflow.dae", collada(node("a", Identity), "Y_UP", "3e38 0 0 3e38 0 0 3e38 0 0")},
        // Finite numbers whose placed products overflow, and a model placed beyond a million units.
        {"product.dae", collada(node("a", "1e30 0 0 0  0 1e30 0 0  0 0 1e30 0  0 0 0 1"), "Y_UP",
                                "0 0 0 2e10 0 0 0 4e10 0")},
        {"far.dae", collada(node("a", "1 0 0 0  0 1 0 -1000001  0 0 1 0  0 0 0 1"))},
        {"shortmatrix.dae", collada(node("a", "1 2"))}, // the importer leaks as it gives up
        {"cycle.dae",
         collada(node("a", Identity, true, "<instance_node url=\"#a\"/>"))}, // would recurse for ever
    };
    for (const auto& [name, content] : cases) {
        if (!content.empty())
            tree.write("Resources/Meshes/" + name, content);
        const auto before = liveGlObjects();
        CoutCapture output;
        EXPECT_EQ(loader.loadMesh(name, folder(tree.meshes())), nullptr) << name;
        EXPECT_EQ(output.text(), "ERROR LOADING MESH " + folder(tree.meshes()) + name + "\n");
        EXPECT_EQ(liveGlObjects(), before) << name;
    }
}

// Scenes no importer writes, built by hand: the loader must not trust the counts or numbers it is given.
TEST_F(MeshTest, IndicesPastTheVerticesAreRefusedAndSharedNormalsAreWeightedByArea) {
    const auto scene = [](std::vector<aiVector3D> positions, std::vector<std::vector<unsigned>> faces) {
        auto made = std::make_unique<aiScene>();
        made->mRootNode = new aiNode("root");
        made->mRootNode->mNumChildren = 1;
        made->mRootNode->mChildren = new aiNode* [1] { new aiNode("child") };
        made->mRootNode->mChildren[0]->mNumMeshes = 1;
        made->mRootNode->mChildren[0]->mMeshes = new unsigned[1]{0};
        aiMesh* mesh = new aiMesh();
        mesh->mNumVertices = unsigned(positions.size());
        mesh->mVertices = new aiVector3D[positions.size()];
        std::copy(positions.begin(), positions.end(), mesh->mVertices);
        mesh->mNumFaces = unsigned(faces.size());
        mesh->mFaces = new aiFace[faces.size()];
        for (size_t f = 0; f < faces.size(); ++f) {
            mesh->mFaces[f].mNumIndices = unsigned(faces[f].size());
            mesh->mFaces[f].mIndices = new unsigned[faces[f].size()];
            std::copy(faces[f].begin(), faces[f].end(), mesh->mFaces[f].mIndices);
        }
        made->mNumMeshes = 1;
        made->mMeshes = new aiMesh* [1] { mesh };
        return made;
    };
    ParticleLoader particles;
    for (MeshLoader* with : {&loader, static_cast<MeshLoader*>(&particles)}) {
        const auto pastTheEnd = scene({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {1, 2, 3}});
        EXPECT_EQ(with->processRoot(pastTheEnd->mRootNode, pastTheEnd.get()), nullptr);
    }
    // A NaN in the last row of the root transform stays in the last row of every instance transform,
    // where no placed coordinate shows it.
    const auto projective = scene({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    projective->mRootNode->mTransformation.d1 = std::nanf("");
    EXPECT_EQ(loader.processRoot(projective->mRootNode, projective.get()), nullptr);
    // A 2 x 2 triangle facing +z and a 1 x 1 triangle facing +y share the edge 0-1: the normals the
    // loader computes there lean towards the larger one.
    const auto shared = scene({{0, 0, 0}, {1, 0, 0}, {0, 2, 0}, {0, 0, -1}}, {{0, 1, 2}, {0, 1, 3}});
    loaded.push_back(loader.processRoot(shared->mRootNode, shared.get()));
    ASSERT_NE(loaded.back(), nullptr);
    EXPECT_NEAR(glm::distance(loader.normals.at(0), glm::normalize(glm::vec3(0, 1, 2))), 0.0f, 1e-6f);
}

// Runs from the tree's working folder, as the demo does.
TEST_F(AssetsTest, TheCatalogueLoadsEachListedNameOnceReportsFailuresAndReleasesEverything) {
    writeImage(tree.textures() / "a.png", FIF_PNG, 2, 2, 24);
    writeImage(tree.textures() / "b.png", FIF_PNG, 4, 4, 24);
    tree.write("Resources/Textures/Textures", "a.png\nmissing.png\na.png\nb.png\n");
    tree.write("Resources/Meshes/tri.obj", ObjTriangle);
    tree.write("Resources/Meshes/plane.obj", ObjTriangle);
    tree.write("Resources/Meshes/Meshes", "tri.obj\nbroken.obj\ntri.obj\n");
    tree.write("Resources/Meshes/broken.obj", "not a model\n");
    ScopedWorkingDirectory inWork(tree.work());

    const auto before = liveGlObjects();
    CoutCapture output;
    loadTextureCatalogue("Textures", "../Resources/Textures/");
    loadMeshCatalogue("Meshes", "../Resources/Meshes/");
    EXPECT_EQ(output.text(), "ERROR LOADING TEXTURE ../Resources/Textures/missing.png\n"
                             "ERROR LOADING MESH ../Resources/Meshes/broken.obj\n"
                             "broken.obj IS NULL\n");
    ASSERT_EQ(textureTable().size(), 2u);
    GLint width = 0;
    glGetTextureLevelParameteriv(findTexture("b.png"), 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(findTexture("B.png"), 0u);
    std::vector<std::string> meshes;
    for (const auto& entry : meshTable())
        meshes.push_back(entry.first);
    EXPECT_EQ(meshes, (std::vector<std::string>{"plane.obj", "quad", "tri.obj"}));
    EXPECT_TRUE(meshFailedToLoad("broken.obj"));
    EXPECT_FALSE(meshFailedToLoad("tri.obj"));

    releaseTextures();
    releaseMeshes();
    EXPECT_EQ(liveGlObjects(), before);
    EXPECT_TRUE(textureTable().empty() && meshTable().empty());
    EXPECT_FALSE(meshFailedToLoad("broken.obj"));
}

} // namespace
