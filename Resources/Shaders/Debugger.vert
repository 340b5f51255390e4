#version 450 core

// The screen-corner quad: position already in normalised device coordinates, and its texture coordinate.
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;

out vec2 uv;

void main() {
    uv = texCoord;
    gl_Position = vec4(position.xy, 0.0, 1.0);
}
