#include "app/FrameCapture.h"

#include "app/FileOutput.h"

#include <FreeImage.h>
#include <GL/glew.h>
#include <cstdio>
#include <iostream>
#include <vector>

namespace {

// FreeImage's own file output does not check its writes, so a full disk would pass for a saved image: the
// encoded bytes are written here, whole or not at all.
bool writeEncoded(const std::string& path, FIMEMORY* encoded) {
    BYTE* bytes = nullptr;
    DWORD size = 0;
    return FreeImage_AcquireMemory(encoded, &bytes, &size) && writeFileWhole(path, bytes, size);
}

// The back buffer as a PNG file; false, saying nothing, when it cannot be written whole.
bool saveFrame(const std::string& path, int width, int height) {
    // Rows padded to four bytes, as FreeImage lays them out; bottom row first on both sides.
    const int pitch = (width * 3 + 3) / 4 * 4;
    std::vector<unsigned char> pixels(static_cast<size_t>(pitch) * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_BGR, GL_UNSIGNED_BYTE, pixels.data());

    FIBITMAP* image = FreeImage_ConvertFromRawBits(pixels.data(), width, height, pitch, 24, FI_RGBA_RED_MASK,
                                                   FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, FALSE);
    FIMEMORY* encoded = FreeImage_OpenMemory();
    const bool saved = image && encoded && FreeImage_SaveToMemory(FIF_PNG, image, encoded, PNG_DEFAULT) &&
                       writeEncoded(path, encoded);
    if (encoded)
        FreeImage_CloseMemory(encoded);
    if (image)
        FreeImage_Unload(image);
    return saved;
}

} // namespace

bool writeFrameCapture(const std::string& path, int width, int height) {
    if (width <= 0 || height <= 0) {
        std::cerr << "demo: cannot capture a " << width << " x " << height << " frame" << std::endl;
        return false;
    }
    const bool saved = saveFrame(path, width, height);
    if (!saved)
        std::cerr << "demo: could not write the capture " << path << std::endl;
    return saved;
}

void FrameRecorder::writeFrame(int width, int height) {
    if (stopped_)
        return;
    char name[32];
    std::snprintf(name, sizeof name, "/%05lld.png", static_cast<long long>(nextFrame_++));
    const std::string path = folder_ + name;
    if (saveFrame(path, width, height))
        return;
    stopped_ = true;
    std::cerr << "demo: could not write the recorded frame " << path << " (the recording stopped)"
              << std::endl;
}
