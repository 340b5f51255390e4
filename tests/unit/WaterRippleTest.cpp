#include "render/WaterSurface.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

struct RippleCase {
    const char* what;
    float offset;
    float deltaTime;
    float expected;
};

// The scene's speed of 0.02 offset units per second throughout.
TEST(WaterRipple, AdvancesByTheStepAndStaysInTheUnitRange) {
    const RippleCase cases[] = {
        {"one frame at 60 Hz", 0.0f, 1.0f / 60.0f, 0.02f / 60.0f},
        {"no time", 0.25f, 0.0f, 0.25f},
        {"wraps past 1", 0.999f, 0.1f, 0.001f},
        {"exactly one tile", 0.0f, 50.0f, 0.0f},
        // The first step covers all loading time, however long.
        {"first step of 7.5 s", 0.0f, 7.5f, 0.15f},
        {"first step of an hour", 0.0f, 3600.25f, 0.005f},
        {"first step of a day", 0.0f, 86400.0f, 0.0f},
        // A clock that went backwards still leaves the offset in range.
        {"negative step", 0.1f, -10.0f, 0.9f},
        {"negative step below -1", 0.0f, -60.0f, 0.8f},
    };
    for (const RippleCase& c : cases) {
        const float offset = nextRippleOffset(c.offset, 0.02f, c.deltaTime);
        EXPECT_NEAR(offset, c.expected, 2e-4f) << c.what;
        EXPECT_GE(offset, 0.0f) << c.what;
        EXPECT_LT(offset, 1.0f) << c.what;
    }
}

// Every float just below a whole number and every tiny negative remainder: none may come out as 1.
TEST(WaterRipple, NeverReachesOne) {
    const float justBelowOne = std::nextafter(1.0f, 0.0f);
    const float smallest = std::numeric_limits<float>::denorm_min();
    const float offsets[] = {0.0f, justBelowOne, 0.5f};
    const float steps[] = {0.0f, smallest, -smallest, 1e-9f, -1e-9f, 1e-7f, -1e-7f, 49.999996f, -50.0f};
    for (const float offset : offsets)
        for (const float step : steps) {
            const float result = nextRippleOffset(offset, 0.02f, step);
            EXPECT_GE(result, 0.0f) << offset << " + 0.02 x " << step;
            EXPECT_LT(result, 1.0f) << offset << " + 0.02 x " << step;
        }
}

// Sixty frames per second: about 0.000333 per frame, and after 50 seconds the offset has wrapped to
// near 0 rather than kept growing.
TEST(WaterRipple, SteadyFramesWrapAfterFiftySeconds) {
    WaterSurface surface(nullptr);
    float previous = 0.0f;
    int wraps = 0;
    for (int frame = 1; frame <= 3000; ++frame) {
        surface.advanceRipple(static_cast<float>(frame) / 60.0f);
        if (surface.rippleOffset < previous) {
            ++wraps;
        } else if (frame < 2990) {
            EXPECT_NEAR(surface.rippleOffset - previous, 0.02f / 60.0f, 1e-5f) << "frame " << frame;
        }
        previous = surface.rippleOffset;
        ASSERT_LT(surface.rippleOffset, 1.0f);
    }
    EXPECT_LE(wraps, 1);
    EXPECT_TRUE(surface.rippleOffset < 1e-3f || surface.rippleOffset > 1.0f - 1e-3f) << surface.rippleOffset;
    EXPECT_FLOAT_EQ(surface.lastTime, 50.0f);
    EXPECT_FLOAT_EQ(surface.currentTime, 50.0f);
}

} // namespace
