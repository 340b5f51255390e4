#pragma once

#include <cstdint>

// The off-screen images the water samples: the mirrored scene above the water and the scene below it
// with its depth. Owned by the scene.
struct WaterTargets {
    uint32_t reflectionWidth = 640;
    uint32_t reflectionHeight = 480;
    uint32_t refractionWidth = 640;
    uint32_t refractionHeight = 480;
    uint32_t screenWidth = 0; // the window's size, to restore the viewport
    uint32_t screenHeight = 0;
    uint32_t reflectionFramebuffer = 0;
    uint32_t reflectionColour = 0;      // GL_RGB texture
    uint32_t reflectionDepthBuffer = 0; // render buffer
    uint32_t refractionFramebuffer = 0;
    uint32_t refractionColour = 0; // GL_RGB texture
    uint32_t refractionDepth = 0;  // GL_DEPTH_COMPONENT32 texture, sampled for soft water edges
};

// Fills the sizes, then runs the reflection set-up and the refraction set-up.
WaterTargets* createWaterTargets(uint32_t reflectionWidth, uint32_t reflectionHeight,
                                 uint32_t refractionWidth, uint32_t refractionHeight, uint32_t screenWidth,
                                 uint32_t screenHeight);
void createReflectionTarget(WaterTargets& targets);
void createRefractionTarget(WaterTargets& targets);
void destroyWaterTargets(WaterTargets* targets);
