#include "Images.h"

#include <FreeImage.h>
#include <algorithm>
#include <cstdlib>

Image loadImage(const std::filesystem::path& path) {
    Image image;
    FIBITMAP* loaded = FreeImage_Load(FreeImage_GetFileType(path.c_str(), 0), path.c_str(), 0);
    if (!loaded)
        return image;
    FIBITMAP* rgb = FreeImage_ConvertTo24Bits(loaded);
    FreeImage_Unload(loaded);
    image.width = static_cast<int>(FreeImage_GetWidth(rgb));
    image.height = static_cast<int>(FreeImage_GetHeight(rgb));
    for (int y = 0; y < image.height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(rgb, y);
        for (int x = 0; x < image.width; ++x)
            image.rgb.insert(image.rgb.end(), {row[3 * x + FI_RGBA_RED], row[3 * x + FI_RGBA_GREEN],
                                               row[3 * x + FI_RGBA_BLUE]});
    }
    FreeImage_Unload(rgb);
    return image;
}

ImageDifference compareImages(const Image& a, const Image& b, int farOffLevels) {
    ImageDifference result;
    const size_t pixels = a.rgb.size() / 3;
    if (pixels == 0 || b.rgb.size() != a.rgb.size())
        return {255.0, 1.0};
    size_t farOff = 0;
    double total = 0.0;
    for (size_t p = 0; p < pixels; ++p) {
        int largest = 0;
        for (size_t c = 0; c < 3; ++c) {
            const int d = std::abs(int(a.rgb[3 * p + c]) - int(b.rgb[3 * p + c]));
            total += d;
            largest = std::max(largest, d);
        }
        farOff += largest > farOffLevels;
    }
    result.meanLevels = total / static_cast<double>(a.rgb.size());
    result.fractionFarOff = static_cast<double>(farOff) / static_cast<double>(pixels);
    return result;
}

double brightFraction(const Image& image, double left, double bottom, double right, double top, int level) {
    size_t bright = 0, total = 0;
    for (int y = int(bottom * image.height); y < int(top * image.height); ++y)
        for (int x = int(left * image.width); x < int(right * image.width); ++x, ++total) {
            const size_t at = 3 * static_cast<size_t>(y * image.width + x);
            bright += std::max({image.rgb[at], image.rgb[at + 1], image.rgb[at + 2]}) > level;
        }
    return total ? static_cast<double>(bright) / static_cast<double>(total) : 0.0;
}
