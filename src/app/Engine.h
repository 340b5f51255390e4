#pragma once

class Scene;
struct Window;

// Start-up in the fixed order with a status line per library; a failed step is fatal.
void startUp(int argc, char** argv);

// Runs frames until the window is asked to close (Escape, the close button, or DEMO_FRAMES).
void runFrameLoop();

// Releases everything in reverse order, then waits for a key.
void shutDown();

// The process-wide window and scene, alive from startUp to shutDown.
Window& window();
Scene& scene();
