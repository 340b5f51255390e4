#pragma once

class Scene;

// Advances the world by one time step (seconds): camera, active effect object and its light, every
// object, the water, the inactive effect object's spin and the sky box. Called once per frame, before
// the render, which then sees this frame's objects and light.
void updateScene(Scene& scene, float& dt);
