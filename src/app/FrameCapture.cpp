#include "app/FrameCapture.h"

#include <FreeImage.h>
#include <GL/glew.h>
#include <iostream>
#include <vector>

bool writeFrameCapture(const std::string& path, int width, int height) {
    if (width <= 0 || height <= 0) {
        std::cerr << "demo: cannot capture a " << width << " x " << height << " frame" << std::endl;
        return false;
    }
    // Rows padded to four bytes, as FreeImage lays them out; bottom row first on both sides.
    const int pitch = (width * 3 + 3) / 4 * 4;
    std::vector<unsigned char> pixels(static_cast<size_t>(pitch) * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_BGR, GL_UNSIGNED_BYTE, pixels.data());

    FIBITMAP* image = FreeImage_ConvertFromRawBits(pixels.data(), width, height, pitch, 24, FI_RGBA_RED_MASK,
                                                   FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, FALSE);
    const bool saved = image && FreeImage_Save(FIF_PNG, image, path.c_str(), PNG_DEFAULT);
    if (image)
        FreeImage_Unload(image);
    if (!saved)
        std::cerr << "demo: could not write the capture " << path << std::endl;
    return saved;
}
