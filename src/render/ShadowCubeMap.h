#pragma once

#include <cstdint>

// The depth cube around the light: six 1024 x 1024 faces attached as one layered depth attachment.
struct ShadowCubeMap {
    uint32_t framebuffer = 0;
    uint32_t cubeTexture = 0;
    int32_t width = 1024;
    int32_t height = 1024;
};

// Prints "ERROR: FRAMEBUFFER NOT COMPLETE" when the driver refuses the target, and returns it anyway.
ShadowCubeMap* createShadowCubeMap();
void destroyShadowCubeMap(ShadowCubeMap* cubeMap);
