#version 450 core

layout(location = 0) in vec3 position;

uniform mat4 projection;
uniform mat4 view;  // the camera's rotation only
uniform mat4 model; // the sky's own turn

out vec3 direction;

void main() {
    // The corner in the cube's own frame is the look-up direction, so the stars turn with the cube.
    direction = position;
    vec4 clip = projection * view * model * vec4(position, 1.0);
    // z = w puts every fragment at depth 1, the far plane: the sky passes the LEQUAL test only where
    // nothing nearer was drawn.
    gl_Position = clip.xyww;
}
