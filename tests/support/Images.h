#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// A picture as 8-bit RGB, rows from the bottom, for comparing captured frames.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// Empty (width 0) when the file cannot be read.
Image loadImage(const std::filesystem::path& path);

struct ImageDifference {
    double meanLevels = 0.0;     // mean absolute difference over all channels, 0..255
    double fractionFarOff = 0.0; // pixels with some channel off by more than farOffLevels
};

// Images of different sizes differ completely.
ImageDifference compareImages(const Image& a, const Image& b, int farOffLevels = 16);

// Fraction of the pixels in the rectangle (fractions of the image, from the bottom left) with some channel
// above `level`.
double brightFraction(const Image& image, double left, double bottom, double right, double top, int level);
