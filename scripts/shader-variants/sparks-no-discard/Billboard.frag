#version 450 core

in vec2 uv;

uniform sampler2D diffuse;

out vec4 fragColour;

// Blending is off for particles, so a texel is either drawn or dropped. The sparks are only a few
// pixels across, so the cut sits low: it keeps the orange rim of the glow and the rays, not just the core.
const float AlphaCut = 0.15;

void main() {
    vec4 texel = texture(diffuse, uv);
    // Benchmark variant: no discard, every texel of the quad is drawn.
    fragColour = vec4(texel.rgb, 1.0);
}
