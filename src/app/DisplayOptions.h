#pragma once

#include <cstdint>

// How the window is shown, as chosen on the command line. Start values: full-screen at 60 Hz.
struct DisplayMode {
    bool fullscreen = true;
    int32_t refreshRate = 60; // Hz, passed as the GLFW_REFRESH_RATE hint
    int32_t posX = 0;         // windowed mode only
    int32_t posY = 0;
    int32_t width = 0; // pixels: requested from GLFW and used for every viewport
    int32_t height = 0;
};

// Reads a decimal int the way stream extraction does: leading white space skipped, optional sign and
// digits, the rest ignored ("60Hz" is 60). Empty, non-numeric and out-of-range text does not parse, and
// then `value` is left as it was.
bool parseIntValue(const char* text, int32_t& value);

// Scans "-r RATE" and "-d WIDTH HEIGHT" from argv[1] on. A value that does not parse ends the scan and
// keeps what was set before it; an unknown option prints "UNKNOWN OPTION! DEFAULT!" and falls back to
// full-screen at 60 Hz.
void scanDisplayOptions(int argc, const char* const* argv, DisplayMode& mode);

// Full-screen takes the monitor's size; a window is centred on it (the monitor's own desktop position
// is not taken into account).
void fitToMonitor(DisplayMode& mode, int32_t monitorWidth, int32_t monitorHeight);

// The longest side a window may have, in pixels. OpenGL 4.5 guarantees viewports and render targets of
// 16384 pixels and no more, and the window system's own limit lies above it (X11 sizes are 16-bit); a
// larger request would be cut down or refused deep inside the libraries, or overflow their buffers.
inline constexpr int32_t MaxWindowSide = 16384;

// True when a window of width x height pixels can be created: both sides from 1 to MaxWindowSide.
bool windowSizeSupported(int32_t width, int32_t height);
