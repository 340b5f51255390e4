#include "TriMesh.h"

#include <utility>

uint32_t TriMesh::addVertex(const glm::dvec3& position, const glm::dvec3& normal,
                            const glm::dvec2& texCoord) {
    positions.push_back(position);
    normals.push_back(glm::normalize(normal));
    texCoords.push_back(texCoord);
    return static_cast<uint32_t>(positions.size() - 1);
}

void TriMesh::addTriangle(uint32_t a, uint32_t b, uint32_t c) {
    const glm::dvec3 faceNormal = glm::cross(positions[b] - positions[a], positions[c] - positions[a]);
    const glm::dvec3 vertexNormals = normals[a] + normals[b] + normals[c];
    if (glm::dot(faceNormal, vertexNormals) < 0.0)
        std::swap(b, c);
    indices.push_back(a);
    indices.push_back(b);
    indices.push_back(c);
}

void TriMesh::addQuad(const glm::dvec3 (&corners)[4], const glm::dvec2 (&uvs)[4], const glm::dvec3& normal) {
    uint32_t v[4];
    for (int i = 0; i < 4; ++i)
        v[i] = addVertex(corners[i], normal, uvs[i]);
    addTriangle(v[0], v[1], v[2]);
    addTriangle(v[0], v[2], v[3]);
}

void TriMesh::append(const TriMesh& other, const glm::dmat4& transform) {
    const glm::dmat3 normalMatrix = glm::transpose(glm::inverse(glm::dmat3(transform)));
    const auto base = static_cast<uint32_t>(positions.size());
    for (size_t i = 0; i < other.positions.size(); ++i) {
        positions.push_back(glm::dvec3(transform * glm::dvec4(other.positions[i], 1.0)));
        normals.push_back(glm::normalize(normalMatrix * other.normals[i]));
        texCoords.push_back(other.texCoords[i]);
    }
    // A mirroring transform turns the winding around; keep faces and normals in agreement.
    const bool mirrored = glm::determinant(glm::dmat3(transform)) < 0.0;
    for (size_t t = 0; t + 2 < other.indices.size(); t += 3) {
        indices.push_back(base + other.indices[t]);
        indices.push_back(base + other.indices[t + (mirrored ? 2 : 1)]);
        indices.push_back(base + other.indices[t + (mirrored ? 1 : 2)]);
    }
}
