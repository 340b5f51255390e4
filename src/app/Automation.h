#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Switches for scripted runs, read from the environment. Unset, each changes nothing; set but invalid,
// the program refuses to start, so that a typo never turns a bounded run into an endless one.
//   DEMO_FRAMES=N        the frame loop ends after N frames (0: none), as if the window were closed
//   DEMO_TIMESTEP=S      every frame advances the world (and every clock the engine reads) by exactly S s,
//                        from 0 to MaxTimeStep
//   DEMO_SEED=N          seeds the random generator with N (0 to 4294967295) instead of the clock
//   DEMO_CAPTURE=f.png   the last frame is written as a PNG before the final buffer swap
//   DEMO_STATS=1         a frame-time summary goes to standard error at shutdown (0: none)
//   DEMO_STATS=f.csv     one row per frame goes to that file instead
//   DEMO_OVERLAY=1       the timing overlay is shown from the first frame (0: hidden until F12)
//   DEMO_RECORD=DIR      every frame is written as DIR/00000.png, DIR/00001.png, ... like the capture,
//                        until one cannot be written; DIR must be a writable folder, and DEMO_FRAMES must
//                        bound the recording
//   DEMO_GL_DEBUG=1      the driver's debug messages, but for its notifications, go to standard error
//                        (0: none); =all with the notifications
inline constexpr float MaxTimeStep = 3600.0f; // seconds

// How much of the driver's debug output DEMO_GL_DEBUG asks for.
enum class GlDebugLevel { Off, Messages, All };

struct Automation {
    std::optional<int64_t> frames;
    std::optional<float> timestep;
    std::optional<uint32_t> seed;
    std::string capturePath; // empty: no capture
    bool stats = false;
    std::string statsPath; // empty: no per-frame file
    bool overlay = false;
    std::string recordFolder; // empty: no recording
    GlDebugLevel glDebug = GlDebugLevel::Off;
    // The first switch that is set but invalid, as "NAME=value (what it takes)"; empty when all are fine.
    std::string problem;
};

// Reads the switches through `lookup` (getenv in the program).
Automation readAutomation(const std::function<const char*(const char*)>& lookup);

// The process-wide switches, read once from the environment.
const Automation& automation();
