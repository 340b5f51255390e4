#include "assets/Texture.h"

#include <FreeImage.h>
#include <GL/glew.h>
#include <iostream>

namespace {

// A cube map has six faces, +X, -X, +Y, -Y, +Z, -Z; the target enums follow each other in that order.
constexpr size_t CubeFaceCount = 6;

// The format is deduced from the file's signature, not its name; an unknown format loads as null.
FIBITMAP* loadBitmap(const std::string& path) {
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    return FreeImage_Load(format, path.c_str(), 0);
}

// The face as FreeImage's 24-bit BGR layout, which is what the cube-map upload reads, or null when it
// cannot be used. Faces of another depth are converted (the upload would otherwise read them with the
// wrong pixel size). A face that is not square is refused like an unreadable one: OpenGL would reject it
// and leave an error behind for some unrelated check to trip over.
FIBITMAP* loadCubeFace(const std::string& path) {
    FIBITMAP* bitmap = loadBitmap(path);
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

// One face of the bound cube map. A face that cannot be used becomes an empty 0 x 0 image: the cube map
// is then incomplete and samples as black, which is visible but harmless.
void uploadCubeFace(GLenum target, const std::string& path) {
    FIBITMAP* bitmap = loadCubeFace(path);
    const GLsizei width = bitmap ? static_cast<GLsizei>(FreeImage_GetWidth(bitmap)) : 0;
    const GLsizei height = bitmap ? static_cast<GLsizei>(FreeImage_GetHeight(bitmap)) : 0;
    const void* pixels = bitmap ? FreeImage_GetBits(bitmap) : nullptr;
    // Rows go up bottom row first, as FreeImage stores them; their 4-byte padding matches OpenGL's
    // default unpack alignment.
    glTexImage2D(target, 0, GL_RGB, width, height, 0, GL_BGR, GL_UNSIGNED_BYTE, pixels);
    if (bitmap)
        FreeImage_Unload(bitmap);
}

} // namespace

Texture loadTexture(const std::string& directory, const std::string& fileName) {
    const std::string path = directory + fileName;
    FIBITMAP* bitmap = loadBitmap(path);
    // Images without a 32-bit form (floating-point or 16-bit grey, say) convert to null; they are as
    // unusable as a missing file and are reported the same way.
    FIBITMAP* copy = bitmap ? FreeImage_ConvertTo32Bits(bitmap) : nullptr;
    if (!copy) {
        std::cout << "ERROR LOADING TEXTURE " << path << std::endl;
        if (bitmap)
            FreeImage_Unload(bitmap);
        return 0;
    }
    const auto width = static_cast<GLsizei>(FreeImage_GetWidth(copy));
    const auto height = static_cast<GLsizei>(FreeImage_GetHeight(copy));

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    // FreeImage keeps 32-bit pixels as blue, green, red, alpha in memory.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 FreeImage_GetBits(copy));
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);

    FreeImage_Unload(copy);
    FreeImage_Unload(bitmap);
    return name;
}

CubeMap loadCubeMap(const std::string& directory, std::vector<std::string> faceFiles) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    // Names past the sixth have no face to go to (the next enums are other targets), so they are ignored.
    for (size_t i = 0; i < faceFiles.size() && i < CubeFaceCount; ++i)
        uploadCubeFace(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(i), directory + faceFiles[i]);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return name;
}
