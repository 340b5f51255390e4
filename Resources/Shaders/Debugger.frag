#version 450 core

in vec2 uv;

uniform sampler2D tex; // any 2D image to inspect, for example the water's reflection

out vec4 fragColour;

void main() {
    fragColour = vec4(texture(tex, uv).rgb, 1.0);
}
