#version 450 core
// Benchmark variant: the water's pixels without any of its work, the floor under every other variant.
in vec4 clipPosition;
in vec2 rippleCoord;
in vec3 toCamera;
in vec3 fromLight;
uniform sampler2D reflection;
uniform sampler2D refraction;
uniform sampler2D dudvMap;
uniform sampler2D normalMap;
uniform sampler2D depthMap;
uniform float offset;
uniform vec3 lightCol;
out vec4 fragColour;
void main() {
    fragColour = vec4(0.02, 0.18, 0.25, 1.0) + 1e-9 * vec4(offset + lightCol.r + rippleCoord.x + toCamera.x + fromLight.x + clipPosition.x);
}
