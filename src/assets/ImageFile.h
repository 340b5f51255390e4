#pragma once

#include <FreeImage.h>
#include <cstdio>
#include <optional>

// FreeImage's reads of an image file, through a stream the engine opened itself (an OpenFile's FILE*
// as the handle), so that the file it checked is the file decoded.
FreeImageIO fileReadingIO();

struct ImageSize {
    unsigned width = 0;
    unsigned height = 0;
};

// The size of the bitmap FreeImage allocates when it decodes `file`, an image of `format`, known from its
// header alone, or nothing when the file is not to be decoded at all. The size comes from the format's own
// header for PNG, JPEG, GIF (its first frame), DDS and SGI, and through FreeImage's header-only load for the
// formats whose header-only load costs nothing whatever a small file claims (BMP, TGA, PCX, the PNM family,
// Sun raster and XPM). Every other format is refused: some decode to pixel types no texture takes (EXR,
// HDR, PFM), some give their size only as they decode (IFF, MNG, WBMP, XBM, PICT, J2K, JP2), and in the rest
// FreeImage's header-only load of a small file can cost seconds and gigabytes: it builds EXR's scan-line
// table, decodes embedded thumbnails in full (TIFF, PSD, WebP, JPEG XR, an ICO's PNG through its text
// chunks, JNG's JPEG) or absorbs every scan of a progressive JPEG. A JPEG is refused too when its embedded
// thumbnails, which FreeImage decodes with the image, hold more pixels together than the image itself, hold
// thumbnails of their own, or cannot be read. Reads from the start of the file and leaves its position
// anywhere.
std::optional<ImageSize> sizeBeforeDecoding(std::FILE* file, FREE_IMAGE_FORMAT format);
