#version 450 core
// Benchmark variant: the sky's pixels without the cube-map look-up.
in vec3 direction;
uniform samplerCube skybox;
out vec4 fragColour;
void main() {
    fragColour = vec4(0.0, 0.0, 0.05, 1.0) + 1e-9 * vec4(direction, 0.0);
}
