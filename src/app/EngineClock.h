#pragma once

#include <optional>

// The one clock the engine reads: the windowing library's timer, or with DEMO_TIMESTEP a virtual
// clock that the frame loop advances by exactly one step per frame, so runs repeat frame by frame.
float engineTime();

// Called by the frame loop once at the start of every frame.
void advanceEngineClock();

// The time step of a frame that reads `now` on the engine clock: the fixed step when one is set, otherwise
// the time since the reading kept in `previous` (which starts at 0, so the first step covers all loading,
// and is never clamped). `previous` becomes `now` either way.
float nextTimeStep(float now, float& previous, std::optional<float> fixedStep);
