#include "assets/ImageFile.h"

#include <cstdint>

namespace {

std::FILE* streamOf(fi_handle handle) {
    return static_cast<std::FILE*>(handle);
}

unsigned DLL_CALLCONV readFromFile(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    return static_cast<unsigned>(std::fread(buffer, size, count, streamOf(handle)));
}

unsigned DLL_CALLCONV writeNothing(void*, unsigned, unsigned, fi_handle) {
    return 0;
}

int DLL_CALLCONV seekInFile(fi_handle handle, long offset, int origin) {
    return std::fseek(streamOf(handle), offset, origin);
}

long DLL_CALLCONV positionInFile(fi_handle handle) {
    return std::ftell(streamOf(handle));
}

// An unsigned field of `size` bytes in a header, least or most significant byte first.
unsigned field(const uint8_t* bytes, int size, bool bigEndian) {
    unsigned value = 0;
    for (int i = 0; i < size; ++i)
        value |= unsigned{bytes[bigEndian ? i : size - 1 - i]} << 8 * (size - 1 - i);
    return value;
}

bool readBytes(std::FILE* file, uint8_t* bytes, size_t count) {
    return std::fread(bytes, 1, count, file) == count;
}

// FreeImage decodes a GIF's first frame at the size its image descriptor gives, whatever the logical
// screen says. The blocks before it (extensions) are skipped sub-block by sub-block, as the decoder does.
std::optional<ImageSize> gifFirstFrameSize(std::FILE* file) {
    uint8_t header[13]; // signature, logical screen size, flags, background, aspect
    if (!readBytes(file, header, sizeof header))
        return std::nullopt;
    if ((header[10] & 0x80) != 0 && std::fseek(file, 3L * (2 << (header[10] & 7)), SEEK_CUR) != 0)
        return std::nullopt; // the global colour table
    int block = std::fgetc(file);
    for (; block == 0x21; block = std::fgetc(file)) {
        std::fgetc(file); // the extension's label
        for (int length = std::fgetc(file); length > 0; length = std::fgetc(file))
            if (std::fseek(file, length, SEEK_CUR) != 0)
                return std::nullopt;
        if (std::feof(file))
            return std::nullopt;
    }
    // Anything but an image descriptor here (a trailer, garbage) makes FreeImage refuse the file too.
    uint8_t frame[8]; // left, top, width, height
    if (block != 0x2C || !readBytes(file, frame, sizeof frame))
        return std::nullopt;
    return ImageSize{field(frame + 4, 2, false), field(frame + 6, 2, false)};
}

std::optional<ImageSize> ddsSize(std::FILE* file) {
    uint8_t header[20]; // magic, header size, flags, height, width
    if (!readBytes(file, header, sizeof header))
        return std::nullopt;
    return ImageSize{field(header + 16, 4, false), field(header + 12, 4, false)};
}

// An SGI image of one dimension is one row, of two one channel. FreeImage takes one to four channels, and
// allocates a row table from the height and the channel count before it checks the count.
std::optional<ImageSize> sgiSize(std::FILE* file) {
    uint8_t header[12]; // magic, storage, bytes per channel, dimension, x, y and channel counts
    if (!readBytes(file, header, sizeof header))
        return std::nullopt;
    const unsigned dimension = field(header + 4, 2, true);
    const unsigned channels = dimension < 3 ? 1 : field(header + 10, 2, true);
    if (channels < 1 || channels > 4)
        return std::nullopt;
    return ImageSize{field(header + 6, 2, true), dimension < 2 ? 1 : field(header + 8, 2, true)};
}

std::optional<ImageSize> headerOnlySize(std::FILE* file, FREE_IMAGE_FORMAT format) {
    FreeImageIO io = fileReadingIO();
    FIBITMAP* header = FreeImage_LoadFromHandle(format, &io, file, FIF_LOAD_NOPIXELS);
    if (header == nullptr)
        return std::nullopt;
    const ImageSize size{FreeImage_GetWidth(header), FreeImage_GetHeight(header)};
    FreeImage_Unload(header);
    return size;
}

} // namespace

FreeImageIO fileReadingIO() {
    return FreeImageIO{readFromFile, writeNothing, seekInFile, positionInFile};
}

std::optional<ImageSize> sizeBeforeDecoding(std::FILE* file, FREE_IMAGE_FORMAT format) {
    std::rewind(file);
    if (FreeImage_FIFSupportsNoPixels(format))
        return headerOnlySize(file, format);
    switch (format) {
    case FIF_GIF:
        return gifFirstFrameSize(file);
    case FIF_DDS:
        return ddsSize(file);
    case FIF_SGI:
        return sgiSize(file);
    case FIF_KOALA: // a Commodore 64 screen, always
        return ImageSize{320, 200};
    default:
        return std::nullopt;
    }
}
