#include "RadialSurface.h"

#include <cmath>

namespace {

constexpr double Pi = 3.141592653589793;
// Texture rows at the poles stay half a texel inside the picture, so GL_REPEAT never blends the top
// row with the bottom one there.
constexpr double PoleMargin = 1.0 / 512.0;

double gridV(int ring, int rings) {
    return 1.0 - PoleMargin - (1.0 - 2.0 * PoleMargin) * ring / rings;
}

} // namespace

RadialSurface::RadialSurface(const Distance& distance, const glm::dvec3& centre, double reach, int segments,
                             int rings, bool gathered)
    : distance_(distance), centre_(centre), reach_(reach), segments_(segments), rings_(rings),
      gathered_(gathered) {
    for (int ring = 0; ring <= rings_; ++ring) {
        const double theta = colatitude(static_cast<double>(ring) / rings_);
        for (int segment = 0; segment <= segments_; ++segment) {
            const double phi = longitude(static_cast<double>(segment) / segments_);
            const glm::dvec3 direction(-std::sin(theta) * std::sin(phi), std::cos(theta),
                                       -std::sin(theta) * std::cos(phi));
            const glm::dvec3 p = trace(direction);
            points_.push_back(p);
            normals_.push_back(gradient(p));
        }
    }
}

// Both warps keep their ends fixed and stay monotonic; their slope is smallest at the front (u = 0.5)
// and at mid-height (t = 0.5), which is where the samples crowd.
double RadialSurface::longitude(double u) const {
    return 2.0 * Pi * (gathered_ ? u + 0.3 * std::sin(2.0 * Pi * u) / (2.0 * Pi) : u);
}

double RadialSurface::colatitude(double t) const {
    return Pi * (gathered_ ? t + 0.35 * std::sin(2.0 * Pi * t) / (2.0 * Pi) : t);
}

glm::dvec3 RadialSurface::trace(const glm::dvec3& direction) const {
    // March inwards from outside the solid to the first point inside, then halve the interval.
    const int steps = 256;
    double outside = reach_, inside = 0.0;
    for (int s = 1; s <= steps; ++s) {
        const double r = reach_ * (1.0 - static_cast<double>(s) / steps);
        if (distance_(centre_ + direction * r) < 0.0) {
            inside = r;
            break;
        }
        outside = r;
    }
    for (int i = 0; i < 40; ++i) {
        const double middle = 0.5 * (inside + outside);
        if (distance_(centre_ + direction * middle) < 0.0)
            inside = middle;
        else
            outside = middle;
    }
    return centre_ + direction * (0.5 * (inside + outside));
}

glm::dvec3 RadialSurface::gradient(const glm::dvec3& p) const {
    const double e = 1e-4;
    const glm::dvec3 g(distance_(p + glm::dvec3(e, 0, 0)) - distance_(p - glm::dvec3(e, 0, 0)),
                       distance_(p + glm::dvec3(0, e, 0)) - distance_(p - glm::dvec3(0, e, 0)),
                       distance_(p + glm::dvec3(0, 0, e)) - distance_(p - glm::dvec3(0, 0, e)));
    return glm::normalize(g);
}

TriMesh RadialSurface::mesh() const {
    TriMesh mesh;
    for (int ring = 0; ring <= rings_; ++ring) {
        for (int segment = 0; segment <= segments_; ++segment) {
            double u = static_cast<double>(segment) / segments_;
            // All pole vertices share one point; give each the middle of its fan triangle's edge.
            if (ring == 0 || ring == rings_)
                u = (segment + 0.5) / segments_;
            mesh.addVertex(points_[index(ring, segment)], normals_[index(ring, segment)],
                           glm::dvec2(u, gridV(ring, rings_)));
        }
    }
    for (int ring = 0; ring < rings_; ++ring) {
        for (int segment = 0; segment < segments_; ++segment) {
            const uint32_t a = static_cast<uint32_t>(index(ring, segment));
            const uint32_t b = static_cast<uint32_t>(index(ring, segment + 1));
            const uint32_t c = static_cast<uint32_t>(index(ring + 1, segment + 1));
            const uint32_t d = static_cast<uint32_t>(index(ring + 1, segment));
            // At the poles one triangle of each quad has no area; leave it out.
            if (ring != 0)
                mesh.addTriangle(a, b, c);
            if (ring != rings_ - 1)
                mesh.addTriangle(a, c, d);
        }
    }
    return mesh;
}

glm::dvec3 RadialSurface::pointAt(double u, double v) const {
    const double s = glm::clamp(u, 0.0, 1.0) * segments_;
    const double t = glm::clamp((1.0 - PoleMargin - v) / (1.0 - 2.0 * PoleMargin), 0.0, 1.0) * rings_;
    const int s0 = std::min(static_cast<int>(s), segments_ - 1),
              t0 = std::min(static_cast<int>(t), rings_ - 1);
    const double fs = s - s0, ft = t - t0;
    return glm::mix(glm::mix(points_[index(t0, s0)], points_[index(t0, s0 + 1)], fs),
                    glm::mix(points_[index(t0 + 1, s0)], points_[index(t0 + 1, s0 + 1)], fs), ft);
}

glm::dvec3 RadialSurface::normalAt(double u, double v) const {
    const double s = glm::clamp(u, 0.0, 1.0) * segments_;
    const double t = glm::clamp((1.0 - PoleMargin - v) / (1.0 - 2.0 * PoleMargin), 0.0, 1.0) * rings_;
    const int s0 = std::min(static_cast<int>(s), segments_ - 1),
              t0 = std::min(static_cast<int>(t), rings_ - 1);
    const double fs = s - s0, ft = t - t0;
    return glm::normalize(glm::mix(glm::mix(normals_[index(t0, s0)], normals_[index(t0, s0 + 1)], fs),
                                   glm::mix(normals_[index(t0 + 1, s0)], normals_[index(t0 + 1, s0 + 1)], fs),
                                   ft));
}

Image RadialSurface::paint(int width, int height, const Painter& paint, int samples) const {
    Image image(width, height);
    image.fill(
        [&](double u, double v) { return glm::dvec4(paint(pointAt(u, v), normalAt(u, v), u, v), 1.0); },
        samples);
    return image;
}

namespace shape {

double sphere(const glm::dvec3& p, const glm::dvec3& centre, double radius) {
    return glm::length(p - centre) - radius;
}

// A close bound of the true distance that keeps its sign exact, which is all the tracing needs.
double ellipsoid(const glm::dvec3& p, const glm::dvec3& centre, const glm::dvec3& radii) {
    const glm::dvec3 q = (p - centre) / radii;
    const double k0 = glm::length(q);
    const double k1 = glm::length(q / radii);
    return k1 > 0.0 ? k0 * (k0 - 1.0) / k1 : -std::min(radii.x, std::min(radii.y, radii.z));
}

double roundBox(const glm::dvec3& p, const glm::dvec3& centre, const glm::dvec3& half, double rounding) {
    const glm::dvec3 q = glm::abs(p - centre) - half + rounding;
    return glm::length(glm::max(q, 0.0)) + std::min(std::max(q.x, std::max(q.y, q.z)), 0.0) - rounding;
}

double smoothUnion(double a, double b, double k) {
    const double h = glm::clamp(0.5 + 0.5 * (b - a) / k, 0.0, 1.0);
    return glm::mix(b, a, h) - k * h * (1.0 - h);
}

double smoothSubtract(double a, double b, double k) {
    return -smoothUnion(-a, b, k);
}

double smoothIntersect(double a, double b, double k) {
    return -smoothUnion(-a, -b, k);
}

} // namespace shape
