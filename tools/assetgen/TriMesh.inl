#pragma once

template <class FaceUv>
void addBox(TriMesh& mesh, const glm::dmat4& placement, const glm::dvec3& size, FaceUv faceUv) {
    const glm::dvec3 h = size * 0.5;
    struct Face {
        int axis;
        double sign;
        int sAxis;
        int tAxis;
    };
    const Face faces[6] = {{0, -1, 2, 1}, {0, 1, 2, 1},  {1, -1, 0, 2},
                           {1, 1, 0, 2},  {2, -1, 0, 1}, {2, 1, 0, 1}};
    TriMesh box;
    for (int f = 0; f < 6; ++f) {
        const Face& face = faces[f];
        glm::dvec3 corners[4];
        glm::dvec2 uvs[4];
        const double sValues[4] = {-1, 1, 1, -1}, tValues[4] = {-1, -1, 1, 1};
        for (int c = 0; c < 4; ++c) {
            glm::dvec3 p(0.0);
            p[face.axis] = face.sign * h[face.axis];
            p[face.sAxis] = sValues[c] * h[face.sAxis];
            p[face.tAxis] = tValues[c] * h[face.tAxis];
            corners[c] = p;
            uvs[c] = faceUv(f, (sValues[c] + 1.0) * h[face.sAxis], (tValues[c] + 1.0) * h[face.tAxis]);
        }
        glm::dvec3 outward(0.0);
        outward[face.axis] = face.sign;
        box.addQuad(corners, uvs, outward);
    }
    mesh.append(box, placement);
}
