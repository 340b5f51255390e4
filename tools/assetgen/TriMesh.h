#pragma once

#include <cstdint>
#include <glm/glm.hpp>
#include <vector>

// Indexed triangles with one normal and one texture coordinate per vertex: exactly what the engine's
// mesh loader reads, so no import post-processing is needed.
struct TriMesh {
    std::vector<glm::dvec3> positions;
    std::vector<glm::dvec3> normals;
    std::vector<glm::dvec2> texCoords;
    std::vector<uint32_t> indices;

    uint32_t addVertex(const glm::dvec3& position, const glm::dvec3& normal, const glm::dvec2& texCoord);
    // Adds a triangle wound counter-clockwise as seen from the side its vertex normals point to, so
    // front faces and normals always agree whatever order the caller found the corners in.
    void addTriangle(uint32_t a, uint32_t b, uint32_t c);
    // A flat-shaded quad facing towards normal, corners in order around its edge.
    void addQuad(const glm::dvec3 (&corners)[4], const glm::dvec2 (&texCoords)[4], const glm::dvec3& normal);
    // Everything of other, moved by transform (normals by its inverse transpose).
    void append(const TriMesh& other, const glm::dmat4& transform);

    size_t vertexCount() const { return positions.size(); }
    size_t triangleCount() const { return indices.size() / 3; }
};

// Maps a rectangle of a face (in the face's own units) into a rectangle of the texture.
struct UvRect {
    glm::dvec2 low;   // texture coordinate of the face point (0, 0)
    glm::dvec2 scale; // texture units per face unit along each axis
    glm::dvec2 map(double s, double t) const { return low + glm::dvec2(s * scale.x, t * scale.y); }
};

// A box of the given size centred on the origin of placement, flat-shaded. Each face's texture
// coordinates come from faceUv(face, s, t), where s and t run over the face in box units: faces
// 0, 1 are -x/+x (s along z, t along y), 2, 3 are -y/+y (s along x, t along z), 4, 5 are -z/+z (s along
// x, t along y).
template <class FaceUv>
void addBox(TriMesh& mesh, const glm::dmat4& placement, const glm::dvec3& size, FaceUv faceUv);

#include "TriMesh.inl"
