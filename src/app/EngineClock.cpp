#include "app/EngineClock.h"

#include "app/Automation.h"

#include <GLFW/glfw3.h>

namespace {

// Counted in whole frames so that the virtual time does not drift by repeated float additions.
long long virtualFrames = 0;

} // namespace

float engineTime() {
    if (const auto& step = automation().timestep)
        return static_cast<float>(static_cast<double>(virtualFrames) * static_cast<double>(*step));
    return static_cast<float>(glfwGetTime());
}

void advanceEngineClock() {
    ++virtualFrames;
}

float nextTimeStep(float now, float& previous, std::optional<float> fixedStep) {
    const float step = fixedStep ? *fixedStep : now - previous;
    previous = now;
    return step;
}
