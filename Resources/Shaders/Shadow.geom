#version 450 core

layout(triangles) in;
layout(triangle_strip, max_vertices = 18) out;

// Projection x view of the cube faces +X, -X, +Y, -Y, +Z, -Z; face i is layer i of the cube map.
uniform mat4 shadowMatrices[6];

out vec3 worldPosition;

// True when all three corners lie beyond one and the same side of the clip volume. Each side is a
// half-space of clip space, so the whole triangle lies beyond it and that face never sees it.
bool outsideFace(vec4 a, vec4 b, vec4 c) {
    vec3 xs = vec3(a.x, b.x, c.x);
    vec3 ys = vec3(a.y, b.y, c.y);
    vec3 zs = vec3(a.z, b.z, c.z);
    vec3 ws = vec3(a.w, b.w, c.w);
    return all(greaterThan(xs, ws)) || all(lessThan(xs, -ws)) || all(greaterThan(ys, ws)) ||
           all(lessThan(ys, -ws)) || all(greaterThan(zs, ws)) || all(lessThan(zs, -ws));
}

void main() {
    for (int face = 0; face < 6; ++face) {
        vec4 corners[3];
        for (int i = 0; i < 3; ++i)
            corners[i] = shadowMatrices[face] * gl_in[i].gl_Position;
        // Most triangles fall into one or two faces; the software rasteriser need not clip the rest.
        if (outsideFace(corners[0], corners[1], corners[2]))
            continue;
        for (int i = 0; i < 3; ++i) {
            gl_Layer = face;
            worldPosition = gl_in[i].gl_Position.xyz;
            gl_Position = corners[i];
            EmitVertex();
        }
        EndPrimitive();
    }
}
