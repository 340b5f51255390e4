#include "Image.h"

#include <FreeImage.h>
#include <cmath>

namespace {

FIBITMAP* toBitmap(const Image& image, bool withAlpha) {
    const int bpp = withAlpha ? 32 : 24;
    FIBITMAP* bitmap = FreeImage_Allocate(image.width, image.height, bpp);
    if (!bitmap)
        return nullptr;
    const int bytesPerPixel = bpp / 8;
    for (int y = 0; y < image.height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < image.width; ++x) {
            const glm::dvec4& c = image.at(x, y);
            BYTE* texel = line + x * bytesPerPixel;
            texel[FI_RGBA_RED] = toByte(c.r);
            texel[FI_RGBA_GREEN] = toByte(c.g);
            texel[FI_RGBA_BLUE] = toByte(c.b);
            if (withAlpha)
                texel[FI_RGBA_ALPHA] = toByte(c.a);
        }
    }
    return bitmap;
}

bool save(const Image& image, const std::string& path, FREE_IMAGE_FORMAT format, bool withAlpha, int flags) {
    FIBITMAP* bitmap = toBitmap(image, withAlpha);
    if (!bitmap)
        return false;
    const bool saved = FreeImage_Save(format, bitmap, path.c_str(), flags) != 0;
    FreeImage_Unload(bitmap);
    return saved;
}

} // namespace

unsigned char toByte(double channel) {
    return static_cast<unsigned char>(std::floor(glm::clamp(channel, 0.0, 1.0) * 255.0 + 0.5));
}

bool savePng(const Image& image, const std::string& path, bool withAlpha) {
    return save(image, path, FIF_PNG, withAlpha, PNG_Z_DEFAULT_COMPRESSION);
}

bool saveJpeg(const Image& image, const std::string& path, int quality) {
    // Full-resolution colour: the stars are single texels, which 4:2:0 subsampling would smear.
    return save(image, path, FIF_JPEG, false, quality | JPEG_SUBSAMPLING_444 | JPEG_OPTIMIZE | JPEG_BASELINE);
}
