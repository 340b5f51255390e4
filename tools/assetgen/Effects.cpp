#include "Layout.h"
#include "Noise.h"
#include "RadialSurface.h"
#include "Scene.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

// The two effect objects and the particle quad: the orb of lava, the meteor, and the spark.
namespace {

constexpr double Pi = 3.141592653589793;

// Dark crust plates floating on glowing melt: the cracks between cells burn yellow, the plates smoulder.
glm::dvec3 paintLava(const glm::dvec3& p, const glm::dvec3&, double, double) {
    const double swirl = noise::fbm3(p * 4.0, 52, 4);
    const noise::Cells plates = noise::cells3(p * 3.4 + 0.35 * swirl, 51);
    const double crack = plates.second - plates.nearest;
    const double width = 0.06 + 0.07 * (0.5 + 0.5 * noise::fbm3(p * 1.5, 53, 2));
    const glm::dvec3 crust =
        glm::mix(glm::dvec3(0.12, 0.04, 0.03), glm::dvec3(0.38, 0.09, 0.04), 0.5 + 0.5 * swirl);
    // Plates glow at their rims, where they are thin and hot.
    const glm::dvec3 rim =
        glm::mix(crust, glm::dvec3(0.75, 0.18, 0.03), 1.0 - noise::smoothstep(width, width + 0.2, crack));
    const glm::dvec3 melt = glm::mix(glm::dvec3(1.0, 0.45, 0.06), glm::dvec3(1.0, 0.88, 0.4),
                                     1.0 - noise::smoothstep(0.0, width, crack));
    return glm::mix(rim, melt, 1.0 - noise::smoothstep(width * 0.6, width, crack));
}

// A sphere of radius 1 around its own origin, on an even grid so that the mean of its corners, which
// the engine takes as the orb's centre, is the origin. One node lifts it to the orb's home above the
// middle of the plaza; the orb scales it about its own origin from 0.01 up to about 0.52.
void writeLava(Output& out) {
    const RadialSurface sphere([](const glm::dvec3& p) { return glm::length(p) - 1.0; }, glm::dvec3(0.0), 1.5,
                               32, 16, false);
    out.texture("lava.png", sphere.paint(512, 256, paintLava, 1), false);
    out.collada("lava.dae", sphere.mesh(), "Lava", "lava.png",
                {{"Orb", glm::translate(glm::dmat4(1.0), glm::dvec3(0.0, layout::OrbHomeHeight, 0.0))}});
}

// An icosahedron split twice, its corners pushed in and out by noise: a lumpy rock about one unit
// across. Faceted on purpose (one normal per face), with each face's texture coordinates projected
// along the axis it faces most, so the rock texture needs no seams.
TriMesh rockShape() {
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    std::vector<glm::dvec3> corners = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                       {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                       {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    std::vector<glm::uvec3> faces = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                     {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                     {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                     {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    for (glm::dvec3& c : corners)
        c = glm::normalize(c);
    for (int split = 0; split < 2; ++split) {
        std::vector<glm::uvec3> finer;
        for (const glm::uvec3& f : faces) {
            uint32_t middle[3];
            for (int e = 0; e < 3; ++e) {
                const glm::dvec3 m = glm::normalize(corners[f[e]] + corners[f[(e + 1) % 3]]);
                // Shared edges must share their new corner; a linear search is plenty for 162 corners.
                uint32_t found = static_cast<uint32_t>(corners.size());
                for (uint32_t i = 0; i < corners.size(); ++i)
                    if (glm::length(corners[i] - m) < 1e-9)
                        found = i;
                if (found == corners.size())
                    corners.push_back(m);
                middle[e] = found;
            }
            finer.push_back({f[0], middle[0], middle[2]});
            finer.push_back({f[1], middle[1], middle[0]});
            finer.push_back({f[2], middle[2], middle[1]});
            finer.push_back({middle[0], middle[1], middle[2]});
        }
        faces = finer;
    }
    for (glm::dvec3& c : corners) {
        const double bump = 0.3 * noise::fbm3(c * 1.6, 61, 3) + 0.08 * noise::gradient3(c * 5.0, 62);
        c *= 0.5 * (1.0 + bump) * glm::dvec3(1.0, 0.85, 1.0);
    }

    TriMesh mesh;
    for (const glm::uvec3& f : faces) {
        const glm::dvec3 a = corners[f[0]], b = corners[f[1]], c = corners[f[2]];
        glm::dvec3 normal = glm::normalize(glm::cross(b - a, c - a));
        if (glm::dot(normal, a + b + c) < 0.0)
            normal = -normal;
        const glm::dvec3 axis = glm::abs(normal);
        const auto project = [&](const glm::dvec3& p) {
            if (axis.x >= axis.y && axis.x >= axis.z)
                return glm::dvec2(p.z, p.y);
            if (axis.y >= axis.z)
                return glm::dvec2(p.x, p.z);
            return glm::dvec2(p.x, p.y);
        };
        const uint32_t i = mesh.addVertex(a, normal, project(a) + 0.5);
        const uint32_t j = mesh.addVertex(b, normal, project(b) + 0.5);
        const uint32_t k = mesh.addVertex(c, normal, project(c) + 0.5);
        mesh.addTriangle(i, j, k);
    }
    // Every corner of every face counts in the engine's centre; move their mean onto the origin.
    glm::dvec3 mean(0.0);
    for (const glm::dvec3& p : mesh.positions)
        mean += p;
    mean /= static_cast<double>(mesh.positions.size());
    for (glm::dvec3& p : mesh.positions)
        p -= mean;
    return mesh;
}

// Charred basalt with hot seams, tileable: the meteor glows where its crust has split.
Image rockTexture(int size) {
    Image image(size, size);
    image.fill(
        [](double u, double v) {
            const noise::Cells cells = noise::cells2(u * 6.0, v * 6.0, 71, 6);
            const double grain = noise::fbm2(u * 16.0, v * 16.0, 72, 4, 16);
            glm::dvec3 colour = glm::mix(glm::dvec3(0.12, 0.1, 0.09), glm::dvec3(0.32, 0.28, 0.25),
                                         0.5 + 0.5 * grain + 0.3 * (cells.id - 0.5));
            const double seam = 1.0 - noise::smoothstep(0.03, 0.09, cells.second - cells.nearest);
            return glm::dvec4(glm::mix(colour, glm::dvec3(1.0, 0.45, 0.1), seam * (0.6 + 0.4 * grain)), 1.0);
        },
        2);
    return image;
}

void writeMeteor(Output& out) {
    out.texture("rock.png", rockTexture(256), false);
    // The meteor ignores its node transform (it places itself each frame); one node, unmoved.
    out.collada("meteor.dae", rockShape(), "Meteor", "rock.png", {{"Meteor", glm::dmat4(1.0)}});
}

// A soft round glow with four faint rays, white in the middle and orange at the rim; the alpha
// channel carries the shape so the particles blend smoothly into the scene.
Image sparkTexture(int size) {
    Image image(size, size);
    image.fill(
        [](double u, double v) {
            const glm::dvec2 p(2.0 * u - 1.0, 2.0 * v - 1.0);
            const double r = glm::length(p);
            const double glow = std::exp(-r * r * 9.0);
            const double core = std::exp(-r * r * 60.0);
            const double rays = std::exp(-std::abs(p.x * p.y) * 90.0) * std::max(0.0, 1.0 - r) * 0.5;
            const double alpha = glm::clamp(glow + rays, 0.0, 1.0) * (1.0 - noise::smoothstep(0.85, 1.0, r));
            const glm::dvec3 colour =
                glm::mix(glm::dvec3(1.0, 0.45, 0.12), glm::dvec3(1.0, 0.95, 0.8), core + 0.5 * glow);
            return glm::dvec4(colour, alpha);
        },
        2);
    return image;
}

// The particle quad: one unit square in the xy plane facing +z, centred on the origin.
TriMesh unitQuad() {
    TriMesh mesh;
    const glm::dvec3 corners[4] = {{-0.5, -0.5, 0.0}, {0.5, -0.5, 0.0}, {0.5, 0.5, 0.0}, {-0.5, 0.5, 0.0}};
    const glm::dvec2 uvs[4] = {{0.0, 0.0}, {1.0, 0.0}, {1.0, 1.0}, {0.0, 1.0}};
    mesh.addQuad(corners, uvs, glm::dvec3(0.0, 0.0, 1.0));
    return mesh;
}

} // namespace

void writeEffects(Output& out) {
    writeLava(out);
    writeMeteor(out);
    out.texture("spark.png", sparkTexture(128), true);
    // The catalogue loads the particle plane by its fixed name; listing it would shadow it with a
    // plain mesh, so it stays out of the mesh list.
    out.obj("plane.obj", unitQuad(), "Spark", "spark.png", false);
}
