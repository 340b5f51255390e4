#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Switches for scripted runs, read from the environment. Unset, each changes nothing.
//   DEMO_FRAMES=N        the frame loop ends after N frames, as if the window were closed
//   DEMO_TIMESTEP=S      every frame advances the world (and every clock the engine reads) by exactly S s
//   DEMO_SEED=N          seeds the random generator with N instead of the clock
//   DEMO_CAPTURE=f.png   the last frame is written as a PNG before the final buffer swap
//   DEMO_STATS=1         a frame-time summary goes to standard error at shutdown
struct Automation {
    std::optional<int64_t> frames;
    std::optional<float> timestep;
    std::optional<uint32_t> seed;
    std::string capturePath; // empty: no capture
    bool stats = false;
};

// Reads the switches through `lookup` (getenv in the program). A value that does not parse is reported
// on standard error and ignored, so standard output stays exactly as without it.
Automation readAutomation(const std::function<const char*(const char*)>& lookup);

// The process-wide switches, read once from the environment.
const Automation& automation();
