#version 450 core

// Model mesh layout; only the position and the instance's model matrix (locations 3 to 6) are read.
layout(location = 0) in vec3 position;
layout(location = 3) in mat4 instanceMatrix;

void main() {
    // World space: the geometry stage applies each cube face's projection x view.
    gl_Position = instanceMatrix * vec4(position, 1.0);
}
