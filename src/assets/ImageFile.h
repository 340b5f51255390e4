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
// header alone: through FreeImage's header-only load where the format has one, and from the fixed headers
// of GIF (its first frame), DDS and SGI. Nothing when the format gives no way to know it before decoding
// (IFF, MNG, WBMP, XBM, PICT, J2K, JP2) or the header is cut short. Reads from the start of the file and
// leaves its position anywhere.
std::optional<ImageSize> sizeBeforeDecoding(std::FILE* file, FREE_IMAGE_FORMAT format);
