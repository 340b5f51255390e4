#pragma once

// The one clock the engine reads: the windowing library's timer, or with DEMO_TIMESTEP a virtual
// clock that the frame loop advances by exactly one step per frame, so runs repeat frame by frame.
float engineTime();

// Called by the frame loop once at the start of every frame.
void advanceEngineClock();
