#pragma once

#include "Image.h"
#include "TriMesh.h"

#include <functional>

// A closed surface that every ray from `centre` crosses once (a star-shaped solid), sampled on a
// latitude-longitude grid: the solid is given by a signed distance (negative inside), and each grid
// direction is traced from outside inwards to the surface. The grid parameters double as texture
// coordinates: u runs once around (0 and 1 at the back, 0.5 straight ahead along +z), v from 0 at the
// bottom to 1 at the top, so a texture for the surface is painted on the same grid.
struct RadialSurface {
    using Distance = std::function<double(const glm::dvec3&)>;

    // With `gathered` the grid is denser towards the front and the middle height, where a face is, and
    // thinner at the back and the poles; without it the grid is even and mirror-symmetric.
    RadialSurface(const Distance& distance, const glm::dvec3& centre, double reach, int segments, int rings,
                  bool gathered = true);

    TriMesh mesh() const;
    // The surface point and normal at texture coordinate (u, v), interpolated across the grid.
    glm::dvec3 pointAt(double u, double v) const;
    glm::dvec3 normalAt(double u, double v) const;
    // Fills a texture by calling paint(point, normal, u, v) at samples × samples points per texel.
    using Painter = std::function<glm::dvec3(const glm::dvec3&, const glm::dvec3&, double, double)>;
    Image paint(int width, int height, const Painter& paint, int samples) const;

  private:
    // Grid parameters to directions.
    double longitude(double u) const;
    double colatitude(double t) const;
    glm::dvec3 trace(const glm::dvec3& direction) const;
    glm::dvec3 gradient(const glm::dvec3& p) const;
    size_t index(int ring, int segment) const {
        return static_cast<size_t>(ring) * (segments_ + 1) + segment;
    }

    Distance distance_;
    glm::dvec3 centre_;
    double reach_;
    int segments_;
    int rings_;
    bool gathered_;
    std::vector<glm::dvec3> points_; // ring 0 is the top pole
    std::vector<glm::dvec3> normals_;
};

// Signed distances for building shapes (negative inside).
namespace shape {
double sphere(const glm::dvec3& p, const glm::dvec3& centre, double radius);
double ellipsoid(const glm::dvec3& p, const glm::dvec3& centre, const glm::dvec3& radii);
double roundBox(const glm::dvec3& p, const glm::dvec3& centre, const glm::dvec3& half, double rounding);
double smoothUnion(double a, double b, double k);
// a with b carved out of it, the edge rounded over k.
double smoothSubtract(double a, double b, double k);
double smoothIntersect(double a, double b, double k);
// The mirror image across x = 0 folded onto the +x side: one pair of eyes or ears from one primitive.
inline glm::dvec3 mirrorX(const glm::dvec3& p) {
    return glm::dvec3(std::abs(p.x), p.y, p.z);
}
} // namespace shape
