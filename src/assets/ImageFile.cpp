#include "assets/ImageFile.h"

#include <cstdint>
#include <cstring>
#include <vector>

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

// PNG's first chunk is its header, which FreeImage's decoder requires; the text chunks after it, which
// FreeImage's header-only load decompresses (some 140 MB for 60 KB of them), are never read here.
std::optional<ImageSize> pngSize(std::FILE* file) {
    uint8_t header[24]; // signature, chunk length, "IHDR", width, height
    if (!readBytes(file, header, sizeof header) || std::memcmp(header + 12, "IHDR", 4) != 0)
        return std::nullopt;
    return ImageSize{field(header + 16, 4, true), field(header + 20, 4, true)};
}

// Bytes of a JPEG, from a file through a buffer or from memory (an embedded thumbnail).
class ByteSource {
  public:
    explicit ByteSource(std::FILE* file) : file_(file), buffer_(65536) {}
    explicit ByteSource(std::vector<uint8_t> bytes) : buffer_(std::move(bytes)), end_(buffer_.size()) {}
    int next() {
        if (at_ == end_ && !refill())
            return EOF;
        return buffer_[at_++];
    }
    bool read(std::vector<uint8_t>& bytes, size_t count) {
        bytes.resize(count);
        for (uint8_t& byte : bytes) {
            const int value = next();
            if (value == EOF)
                return false;
            byte = static_cast<uint8_t>(value);
        }
        return true;
    }

  private:
    bool refill() {
        if (file_ == nullptr)
            return false;
        end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        at_ = 0;
        return end_ > 0;
    }
    std::FILE* file_ = nullptr;
    std::vector<uint8_t> buffer_;
    size_t at_ = 0, end_ = 0;
};

struct Thumbnail {
    bool unreadable = false;
    std::vector<uint8_t> bytes; // empty: none
};

// The thumbnail FreeImage decodes from an Exif segment ("Exif\0\0", then a TIFF header): the JPEG that the
// second directory's interchange-format offset and length name, found as FreeImage finds it. A first
// directory that runs past the segment, or a thumbnail whose end wraps around 32 bits (FreeImage's bounds
// check passes, and it reads four gigabytes past the segment), makes the thumbnail unreadable.
Thumbnail exifThumbnail(const std::vector<uint8_t>& segment) {
    const uint8_t* tiff = segment.data() + 6;
    const uint64_t length = segment.size() - 6;
    const bool bigEndian = length >= 8 && std::memcmp(tiff, "MM\0*", 4) == 0;
    if (length < 8 || (!bigEndian && std::memcmp(tiff, "II*\0", 4) != 0))
        return {};
    const auto at = [&](uint64_t offset, int size) {
        return uint64_t{field(tiff + offset, size, bigEndian)};
    };
    const uint64_t first = at(4, 4);
    if (first > length)
        return {};
    if (first + 2 > length || first + 6 + 12 * at(first, 2) > length)
        return {true, {}};
    const uint64_t second = at(first + 2 + 12 * at(first, 2), 4);
    if (second == 0 || second >= length)
        return {};
    if (second + 2 > length)
        return {true, {}};
    uint64_t offset = 0, size = 0;
    for (uint64_t entry = second + 2; entry < second + 2 + 12 * at(second, 2); entry += 12) {
        if (entry + 12 >= length)
            return {};
        if (at(entry, 2) == 0x201)
            offset = at(entry + 8, 4);
        else if (at(entry, 2) == 0x202)
            size = at(entry + 8, 4);
    }
    if (offset == 0 || size == 0 || ((offset + size) & 0xFFFFFFFF) > length)
        return {};
    if (offset + size > length)
        return {true, {}};
    return {false, std::vector<uint8_t>(tiff + offset, tiff + offset + size)};
}

// The thumbnail of a JFIF extension segment ("JFXX\0", then 0x10 for a JPEG).
Thumbnail jfxxThumbnail(const std::vector<uint8_t>& segment) {
    if (segment.size() < 6 || std::memcmp(segment.data(), "JFXX", 5) != 0 || segment[5] != 0x10)
        return {};
    return {false, std::vector<uint8_t>(segment.begin() + 6, segment.end())};
}

bool isFrameMarker(int marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// A JPEG's frame size, walking its markers as the decoder does to the end of the image: a progressive
// JPEG is absorbed whole before a pixel comes out, so FreeImage reads the segments between its scans, and
// the thumbnails there, too. Entropy-coded data runs to the next marker that is neither a stuffed byte nor
// a restart. Anything the decoder would only skip with a warning, a second frame header, or a thumbnail
// that cannot be sized is refused (nothing): what is left is what the decoder reads without complaint.
std::optional<ImageSize> jpegSize(ByteSource& in, bool thumbnailsAllowed) {
    if (in.next() != 0xFF || in.next() != 0xD8)
        return std::nullopt;
    std::optional<ImageSize> frame;
    uint64_t thumbnailPixels = 0;
    bool inScan = false;
    std::vector<uint8_t> segment;
    for (int byte = in.next(); byte != EOF; byte = in.next()) {
        if (byte != 0xFF) {
            if (inScan)
                continue;
            return std::nullopt;
        }
        int marker = in.next();
        while (marker == 0xFF)
            marker = in.next();
        if (marker == EOF || marker == 0xD9) // the end of the file or of the image
            break;
        const bool standalone = marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
        if (standalone || (inScan && marker == 0x00)) // a restart, or a stuffed byte of the scan
            continue;
        inScan = false;
        const int high = in.next(), low = in.next();
        if (marker == 0x00 || marker == 0xD8 || low == EOF || (high << 8 | low) < 2)
            return std::nullopt;
        if (!in.read(segment, static_cast<size_t>((high << 8 | low) - 2)))
            break;
        if (isFrameMarker(marker)) {
            if (frame || segment.size() < 5)
                return std::nullopt;
            frame = ImageSize{field(segment.data() + 3, 2, true), field(segment.data() + 1, 2, true)};
        }
        inScan = marker == 0xDA;
        if (inScan && !frame)
            return std::nullopt;
        const Thumbnail thumbnail =
            marker == 0xE0 ? jfxxThumbnail(segment)
            : marker == 0xE1 && segment.size() >= 6 && std::memcmp(segment.data(), "Exif\0\0", 6) == 0
                ? exifThumbnail(segment)
                : Thumbnail{};
        if (thumbnail.unreadable || (!thumbnail.bytes.empty() && !thumbnailsAllowed))
            return std::nullopt;
        if (!thumbnail.bytes.empty()) {
            ByteSource bytes(thumbnail.bytes);
            const std::optional<ImageSize> size = jpegSize(bytes, false);
            if (!size)
                return std::nullopt;
            thumbnailPixels += uint64_t{size->width} * size->height;
        }
    }
    if (!frame || thumbnailPixels > uint64_t{frame->width} * frame->height)
        return std::nullopt;
    return frame;
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
    switch (format) {
    case FIF_PNG:
        return pngSize(file);
    case FIF_JPEG: {
        ByteSource bytes(file);
        return jpegSize(bytes, true);
    }
    case FIF_GIF:
        return gifFirstFrameSize(file);
    case FIF_DDS:
        return ddsSize(file);
    case FIF_SGI:
        return sgiSize(file);
    case FIF_KOALA: // a Commodore 64 screen, always
        return ImageSize{320, 200};
    case FIF_BMP:
    case FIF_TARGA:
    case FIF_PCX:
    case FIF_PBM:
    case FIF_PBMRAW:
    case FIF_PGM:
    case FIF_PGMRAW:
    case FIF_PPM:
    case FIF_PPMRAW:
    case FIF_RAS:
    case FIF_XPM:
        return headerOnlySize(file, format);
    default:
        return std::nullopt;
    }
}
