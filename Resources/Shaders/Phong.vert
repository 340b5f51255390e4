#version 450 core

// Model mesh layout: the instance's model matrix takes locations 3 to 6, one column each.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texCoord;
layout(location = 3) in mat4 instanceMatrix;

uniform mat4 view;
uniform mat4 projection;
// What lies on the negative side of the plane is clipped away. The final image passes a plane that
// keeps everything, since some drivers clip by gl_ClipDistance even while clip distance 0 is off.
uniform vec4 plane;

out gl_PerVertex {
    vec4 gl_Position;
    float gl_ClipDistance[1];
};

out VertexData {
    vec3 worldPosition;
    vec3 worldNormal;
    vec2 texCoord;
} vertexOut;

void main() {
    vec4 world = instanceMatrix * vec4(position, 1.0);
    gl_ClipDistance[0] = dot(world, plane);
    // The inverse transpose keeps normals perpendicular under the models' non-uniform scales.
    vertexOut.worldNormal = transpose(inverse(mat3(instanceMatrix))) * normal;
    vertexOut.worldPosition = world.xyz;
    vertexOut.texCoord = texCoord;
    gl_Position = projection * view * world;
}
