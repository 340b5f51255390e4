#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Plain OpenGL names; whoever stores one owns the texture and deletes it with glDeleteTextures.
using Texture = uint32_t; // GL_TEXTURE_2D
using CubeMap = uint32_t; // GL_TEXTURE_CUBE_MAP

// A mip-mapped RGBA texture from directory + fileName, or 0 after printing "ERROR LOADING TEXTURE <path>".
Texture loadTexture(const std::string& directory, const std::string& fileName);

// Face i of the list goes to GL_TEXTURE_CUBE_MAP_POSITIVE_X + i (+X, -X, +Y, -Y, +Z, -Z).
CubeMap loadCubeMap(const std::string& directory, std::vector<std::string> faceFiles);
