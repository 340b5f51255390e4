#pragma once

class Scene;
struct Window;

// Start-up in the fixed order with a status line per library; a failed step is fatal.
void startUp(int argc, char** argv);

// Runs frames until the window is asked to close (Escape, the close button, DEMO_FRAMES) or a stop signal
// comes; the frame under way is finished first.
void runFrameLoop();

// Releases everything in reverse order, then pauses; after a stop signal it ends the process by that
// signal instead of pausing.
void shutDown();

// The process-wide window and scene, alive from startUp to shutDown.
Window& window();
Scene& scene();
