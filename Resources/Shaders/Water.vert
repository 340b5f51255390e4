#version 450 core

// Model mesh layout: position, normal and texture coordinate per vertex; the model matrix per instance
// in locations 3 to 6. The water needs no vertex normal: its normals come from the normal map.
layout(location = 0) in vec3 position;
layout(location = 2) in vec2 texCoord;
layout(location = 3) in mat4 instanceModel;

uniform mat4 view;
uniform mat4 projection;
uniform vec3 cameraPos;
uniform vec3 lightPosition;

out vec4 clipPosition; // for the projective look-ups into the reflection and refraction images; w is
                       // the eye distance
out vec2 rippleCoord;  // the mesh's coordinates, which repeat every few units of water
out vec3 toCamera;
out vec3 fromLight;

void main() {
    vec4 world = instanceModel * vec4(position, 1.0);
    clipPosition = projection * view * world;
    gl_Position = clipPosition;
    rippleCoord = texCoord;
    toCamera = cameraPos - world.xyz;
    fromLight = world.xyz - lightPosition;
}
