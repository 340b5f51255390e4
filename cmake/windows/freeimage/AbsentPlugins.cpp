// FreeImage numbers its formats in the order its plugins register, and the header's FIF_* constants
// hard-code that order: dropping TIFF, say, would renumber every plugin after it, and FIF_GIF would then
// name the HDR plugin. Each plugin left out of this build therefore still registers under its own name, with
// no procedures at all: FreeImage then reports its files as of unknown type and cannot load or save them.
#include "FreeImage.h"
#include "Plugin.h"

#define ABSENT_PLUGIN(init, name)                                                                            \
    static const char* DLL_CALLCONV init##Format() {                                                         \
        return name;                                                                                         \
    }                                                                                                        \
    void DLL_CALLCONV init(Plugin* plugin, int) {                                                            \
        plugin->format_proc = init##Format;                                                                  \
    }

ABSENT_PLUGIN(InitTIFF, "TIFF")
ABSENT_PLUGIN(InitG3, "G3")
ABSENT_PLUGIN(InitEXR, "EXR")
ABSENT_PLUGIN(InitJ2K, "J2K")
ABSENT_PLUGIN(InitJP2, "JP2")
ABSENT_PLUGIN(InitRAW, "RAW")
ABSENT_PLUGIN(InitWEBP, "WebP")
ABSENT_PLUGIN(InitJXR, "JPEG-XR")
