#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Plain OpenGL names; whoever stores one owns the texture and deletes it with glDeleteTextures.
using Texture = uint32_t; // GL_TEXTURE_2D
using CubeMap = uint32_t; // GL_TEXTURE_CUBE_MAP

// An image file checked and decoded without OpenGL, as a texture or a cube face uploads it.
struct DecodedImage {
    uint32_t width = 0;
    uint32_t height = 0;
    // Level 0 and, for a texture, every smaller level down to 1 x 1, in FreeImage's layout: rows bottom
    // first, blue, green, red (and alpha for a texture), a cube face's rows padded to four bytes. Empty
    // when the file cannot be used.
    std::vector<std::vector<uint8_t>> levels;
    // The file is an image of a format FreeImage knows, so its size was checked before decoding: against
    // GuaranteedTextureSide, since no context need exist. The upload checks it against the driver's limit.
    bool formatKnown = false;
};

// The longest side OpenGL 4.5 guarantees for 2D textures and cube maps alike.
constexpr uint32_t GuaranteedTextureSide = 16384;

// What loadTexture and loadCubeMap upload, read on any thread: a 32-bit image with its mipmap levels, and a
// square 24-bit face. An image whose header claims a side longer than GuaranteedTextureSide is refused
// before a single pixel is decoded.
DecodedImage decodeTextureImage(const std::string& path);
DecodedImage decodeCubeFace(const std::string& path);

// A mip-mapped RGBA texture from directory + fileName, or 0 after printing "ERROR LOADING TEXTURE <path>".
Texture loadTexture(const std::string& directory, const std::string& fileName);

// Face i of the list goes to GL_TEXTURE_CUBE_MAP_POSITIVE_X + i (+X, -X, +Y, -Y, +Z, -Z).
CubeMap loadCubeMap(const std::string& directory, std::vector<std::string> faceFiles);
