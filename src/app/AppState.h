#pragma once

#include <cstdint>

// Runtime toggles written by the key handler and the effect objects, read by the update and the renderer.
// Single-threaded: the key handler runs inside glfwPollEvents on the main thread.
struct AppState {
    bool reloadRequested = false; // a pass rebuild is pending; the renderer clears it
    bool cameraLocked = false;    // while true the per-frame update leaves the camera view alone
    int32_t reloadPass = 0;       // 1 Phong, 2 billboard, 3 water, 4 shadow, 5 debug; 6 to 8 rebuild nothing
    float speedFactor = 0.4f;     // scales the meteor's fall and the orb's sink; 0.1 to 0.9 in steps of 0.1
    int32_t effectPhase = 0;      // whose turn it is to carry the light: 0 the orb, 1 the meteor
    bool overlayShown = false;    // F12 toggles the timing overlay; DEMO_OVERLAY=1 starts with it shown
};

// The one AppState of the process, created with its start values on first use.
AppState& appState();
