#include "assets/Texture.h"

#include "assets/DebugNames.h"
#include "assets/ImageFile.h"
#include "assets/RegularFile.h"
#include "assets/StartupLoader.h"

#include <FreeImage.h>
#include <GL/glew.h>
#include <algorithm>
#include <iostream>
#include <vector>

namespace {

// A cube map has six faces, +X, -X, +Y, -Y, +Z, -Z; the target enums follow each other in that order.
constexpr size_t CubeFaceCount = 6;

bool fitsTexture(ImageSize size, GLint maxSide) {
    const auto limit = static_cast<unsigned>(maxSide);
    return size.width > 0 && size.height > 0 && size.width <= limit && size.height <= limit;
}

// The format is deduced from the file's signature, not its name; an unknown format loads as null. An
// image with a side longer than GuaranteedTextureSide loads as null too (no context need be current to
// know that limit), and it is refused before a single pixel is decoded: a small file claiming an enormous
// size would otherwise make the decoder allocate gigabytes (and the driver choke on the upload). So a format
// whose size cannot be known from its header is not decoded at all. The decoded bitmap is measured again, in
// case the decoder and the header disagree.
FIBITMAP* loadBitmap(const std::string& path, bool& formatKnown) {
    const OpenFile file = openRegularFile(path);
    if (!file)
        return nullptr;
    FreeImageIO io = fileReadingIO();
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromHandle(&io, file.get());
    if (format == FIF_UNKNOWN)
        return nullptr;
    formatKnown = true;
    const auto maxSide = static_cast<GLint>(GuaranteedTextureSide);
    const std::optional<ImageSize> size = sizeBeforeDecoding(file.get(), format);
    if (!size || !fitsTexture(*size, maxSide) || std::fseek(file.get(), 0, SEEK_SET) != 0)
        return nullptr;
    FIBITMAP* bitmap = FreeImage_LoadFromHandle(format, &io, file.get());
    if (bitmap && !fitsTexture({FreeImage_GetWidth(bitmap), FreeImage_GetHeight(bitmap)}, maxSide)) {
        FreeImage_Unload(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

// The face as FreeImage's 24-bit BGR layout, which is what the cube-map upload reads, or null when it
// cannot be used. Faces of another depth are converted (the upload would otherwise read them with the
// wrong pixel size). A face that is not square is refused like an unreadable one: OpenGL would reject it
// and leave an error behind for some unrelated check to trip over.
FIBITMAP* loadCubeFace(const std::string& path, bool& formatKnown) {
    FIBITMAP* bitmap = loadBitmap(path, formatKnown);
    if (bitmap && !(FreeImage_GetImageType(bitmap) == FIT_BITMAP && FreeImage_GetBPP(bitmap) == 24)) {
        FIBITMAP* converted = FreeImage_ConvertTo24Bits(bitmap); // null when the type has no 24-bit form
        FreeImage_Unload(bitmap);
        bitmap = converted;
    }
    if (bitmap && FreeImage_GetWidth(bitmap) != FreeImage_GetHeight(bitmap)) {
        FreeImage_Unload(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

// The driver's own limit for an image that was checked against the least any driver takes. It is asked
// only of a file that got as far as its size.
bool fitsDriver(const DecodedImage& image, GLenum maxSideQuery) {
    if (!image.formatKnown)
        return false;
    GLint maxSide = 0;
    glGetIntegerv(maxSideQuery, &maxSide);
    return !image.levels.empty() && fitsTexture({image.width, image.height}, maxSide);
}

// One face of the bound cube map. A face that cannot be used becomes an empty 0 x 0 image: the cube map
// is then incomplete and samples as black, which is visible but harmless.
void uploadCubeFace(GLenum target, const DecodedImage& face) {
    const bool usable = fitsDriver(face, GL_MAX_CUBE_MAP_TEXTURE_SIZE);
    const GLsizei width = usable ? static_cast<GLsizei>(face.width) : 0;
    const GLsizei height = usable ? static_cast<GLsizei>(face.height) : 0;
    const void* pixels = usable ? face.levels[0].data() : nullptr;
    // Rows go up bottom row first, as FreeImage stores them; their 4-byte padding matches OpenGL's
    // default unpack alignment.
    glTexImage2D(target, 0, GL_RGB, width, height, 0, GL_BGR, GL_UNSIGNED_BYTE, pixels);
}

// Level n + 1 from level n of a 32-bit image: each texel the mean of the 2 x 2 texels it covers, rounded
// to nearest (where level n is one texel across, that texel stands for both of a pair). The box filter of
// glGenerateMipmap, done here because a software rasteriser renders generated levels with a blit shader
// that it first has to compile, a tenth of the demo's whole start-up.
std::vector<uint8_t> halve(const uint8_t* pixels, GLsizei width, GLsizei height) {
    const GLsizei halfWidth = std::max(width / 2, 1), halfHeight = std::max(height / 2, 1);
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    const size_t right = width > 1 ? 4 : 0, up = height > 1 ? rowBytes : 0;
    std::vector<uint8_t> half(static_cast<size_t>(halfWidth) * static_cast<size_t>(halfHeight) * 4);
    uint8_t* out = half.data();
    for (GLsizei y = 0; y < halfHeight; ++y) {
        const uint8_t* row = pixels + static_cast<size_t>(2 * y) * rowBytes;
        for (GLsizei x = 0; x < halfWidth; ++x) {
            const uint8_t* in = row + static_cast<size_t>(x) * 8;
            for (size_t channel = 0; channel < 4; ++channel) {
                const int sum =
                    in[channel] + in[channel + right] + in[channel + up] + in[channel + right + up];
                *out++ = static_cast<uint8_t>((sum + 2) / 4);
            }
        }
    }
    return half;
}

// Level 0 and every smaller level down to 1 x 1 of a 32-bit image. FreeImage keeps 32-bit pixels as blue,
// green, red, alpha in memory, rows bottom first, with no padding.
std::vector<std::vector<uint8_t>> mipmapChain(const uint8_t* pixels, GLsizei width, GLsizei height) {
    std::vector<std::vector<uint8_t>> levels;
    levels.emplace_back(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (; width > 1 || height > 1; width = std::max(width / 2, 1), height = std::max(height / 2, 1))
        levels.push_back(halve(levels.back().data(), width, height));
    return levels;
}

// Every level of a decoded image into the bound 2D texture.
void uploadMipmapChain(const DecodedImage& image) {
    auto width = static_cast<GLsizei>(image.width), height = static_cast<GLsizei>(image.height);
    for (size_t index = 0; index < image.levels.size(); ++index) {
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(index), GL_RGBA, width, height, 0, GL_BGRA,
                     GL_UNSIGNED_BYTE, image.levels[index].data());
        width = std::max(width / 2, 1);
        height = std::max(height / 2, 1);
    }
}

// The start-up loader's result for the file, or the file decoded here when it has none.
DecodedImage loadedImage(LoadKind kind, const std::string& path) {
    if (std::optional<DecodedImage> image = takeLoadedImage(kind, path))
        return std::move(*image);
    return kind == LoadKind::Texture ? decodeTextureImage(path) : decodeCubeFace(path);
}

} // namespace

DecodedImage decodeTextureImage(const std::string& path) {
    DecodedImage image;
    FIBITMAP* bitmap = loadBitmap(path, image.formatKnown);
    // Images without a 32-bit form (floating-point or 16-bit grey, say) convert to null; they are as
    // unusable as a missing file and are reported the same way.
    FIBITMAP* copy = bitmap ? FreeImage_ConvertTo32Bits(bitmap) : nullptr;
    if (copy) {
        image.width = FreeImage_GetWidth(copy);
        image.height = FreeImage_GetHeight(copy);
        image.levels = mipmapChain(FreeImage_GetBits(copy), static_cast<GLsizei>(image.width),
                                   static_cast<GLsizei>(image.height));
        FreeImage_Unload(copy);
    }
    if (bitmap)
        FreeImage_Unload(bitmap);
    return image;
}

DecodedImage decodeCubeFace(const std::string& path) {
    DecodedImage face;
    if (FIBITMAP* bitmap = loadCubeFace(path, face.formatKnown)) {
        face.width = FreeImage_GetWidth(bitmap);
        face.height = FreeImage_GetHeight(bitmap);
        const uint8_t* pixels = FreeImage_GetBits(bitmap);
        face.levels.emplace_back(pixels, pixels + size_t{FreeImage_GetPitch(bitmap)} * face.height);
        FreeImage_Unload(bitmap);
    }
    return face;
}

Texture loadTexture(const std::string& directory, const std::string& fileName) {
    const std::string path = directory + fileName;
    const DecodedImage image = loadedImage(LoadKind::Texture, path);
    if (!fitsDriver(image, GL_MAX_TEXTURE_SIZE)) {
        std::cout << "ERROR LOADING TEXTURE " << path << std::endl;
        return 0;
    }

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    labelObject(GL_TEXTURE, name, fileName);
    uploadMipmapChain(image);
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

CubeMap loadCubeMap(const std::string& directory, std::vector<std::string> faceFiles) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    // Names past the sixth have no face to go to (the next enums are other targets), so they are ignored.
    for (size_t i = 0; i < faceFiles.size() && i < CubeFaceCount; ++i)
        uploadCubeFace(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(i),
                       loadedImage(LoadKind::CubeFace, directory + faceFiles[i]));
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return name;
}
