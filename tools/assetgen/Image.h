#pragma once

#include <glm/glm.hpp>
#include <string>
#include <vector>

// An RGBA picture with channels in [0, 1]. Row 0 is the bottom row: the image library's first scanline,
// which the engine hands to OpenGL first, so texel (x, y) is where texture coordinate
// ((x + 0.5) / width, (y + 0.5) / height) samples. Painting in texture coordinates therefore gives
// pictures that are upright both on screen in the demo and in an image viewer.
struct Image {
    Image(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h)) {}

    glm::dvec4& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    const glm::dvec4& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    // Sets every texel to paint(u, v) at its centre, or to the mean of samples × samples evenly spread
    // points inside it, which smooths the hard edges of painted shapes.
    template <class Paint> void fill(Paint paint, int samples = 1) {
        const double step = 1.0 / samples;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                glm::dvec4 sum(0.0);
                for (int sy = 0; sy < samples; ++sy) {
                    for (int sx = 0; sx < samples; ++sx) {
                        const double u = (x + (sx + 0.5) * step) / width;
                        const double v = (y + (sy + 0.5) * step) / height;
                        sum += paint(u, v);
                    }
                }
                at(x, y) = sum / static_cast<double>(samples * samples);
            }
        }
    }

    int width;
    int height;
    std::vector<glm::dvec4> pixels;
};

// Opaque images are stored as 24-bit files (the engine converts every texture to 32 bits on load);
// withAlpha keeps the fourth channel. Both return false when the file could not be written.
bool savePng(const Image& image, const std::string& path, bool withAlpha);
bool saveJpeg(const Image& image, const std::string& path, int quality);

// 0..1 to the nearest byte, clamped.
unsigned char toByte(double channel);
