#version 450 core

in vec3 worldPosition;

uniform vec3 lightPos;

// Shared with Phong.frag: the stored depth is distance to the light / ShadowRange. Neither program is
// told the light's far plane (25 or 50); casters beyond it are clipped by the face projections anyway.
const float ShadowRange = 50.0;

void main() {
    gl_FragDepth = min(length(worldPosition - lightPos) / ShadowRange, 1.0);
}
