#version 450 core

// Particle mesh layout: position and texture coordinate per vertex, the particle's matrix per instance
// in locations 2 to 5. The quad lies in the xy plane, one unit across, centred on the origin.
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
layout(location = 2) in mat4 instanceModel;

uniform mat4 view;
uniform mat4 projection;

out vec2 uv;

void main() {
    // Only the particle's place and size are taken from its matrix; the quad is spread out in view
    // space, so it always faces the camera, the mirrored one of the reflection included.
    vec3 centre = instanceModel[3].xyz;
    float size = length(instanceModel[0].xyz);
    vec4 viewCentre = view * vec4(centre, 1.0);
    gl_Position = projection * (viewCentre + vec4(position.xy * size, 0.0, 0.0));
    uv = texCoord;
}
