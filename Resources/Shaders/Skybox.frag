#version 450 core

in vec3 direction;

uniform samplerCube skybox;

out vec4 fragColour;

void main() {
    fragColour = vec4(texture(skybox, direction).rgb, 1.0);
}
