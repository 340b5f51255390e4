#version 450 core

in vec2 uv;

uniform sampler2D diffuse;

out vec4 fragColour;

// Blending is off for particles, so a texel is either drawn or dropped; the cut sits low enough to keep
// the spark's rays.
const float AlphaCut = 0.35;

void main() {
    vec4 texel = texture(diffuse, uv);
    if (texel.a < AlphaCut)
        discard;
    fragColour = vec4(texel.rgb, 1.0);
}
