#include "Terrain.h"

#include "Layout.h"
#include "Noise.h"

#include <cmath>
#include <vector>

namespace terrain {
namespace {

constexpr uint32_t Seed = 1701;

const glm::dvec2 OutcropCentre(-3.35, -3.55);

double gaussian(double x, double z, double cx, double cz, double radius) {
    const double dx = x - cx, dz = z - cz;
    return std::exp(-(dx * dx + dz * dz) / (2.0 * radius * radius));
}

double smoothMin(double a, double b, double k) {
    const double h = glm::clamp(0.5 + 0.5 * (b - a) / k, 0.0, 1.0);
    return glm::mix(b, a, h) - k * h * (1.0 - h);
}

// 0 at the middle of the land, 1 on the coast, growing out to sea: the main island and the eastern
// islet, blended into one shore with a wavering outline.
double coastMetric(double x, double z) {
    const double wobble = 0.085 * noise::fbm2(x * 0.32, z * 0.32, Seed, 3);
    const double main = glm::length(glm::dvec2((x + 0.6) / 5.0, (z - 0.1) / 4.8));
    const double islet = glm::length(glm::dvec2((x - 6.1) / 2.0, (z - 0.3) / 4.1));
    return smoothMin(main, islet, 0.15) + wobble;
}

double craterRelief(double x, double z) {
    double relief = 0.0;
    for (const layout::Crater& c : layout::Craters) {
        const double q = glm::length(glm::dvec2(x, z) - c.centre) / c.radius;
        if (q < 1.0)
            relief -= 0.2 * (1.0 - q * q) * (1.0 - q * q);
        relief += 0.07 * std::exp(-((q - 1.0) / 0.28) * ((q - 1.0) / 0.28));
    }
    return relief;
}

// The rocky headland behind the cottage, a lower shoulder beside it and a knoll on the islet. They are
// added after the shore, so the headland's foot stands in the sea.
double hills(double x, double z) {
    const double ridges = 1.0 - std::abs(noise::fbm2(x * 0.9, z * 0.9, Seed + 7, 3));
    return gaussian(x, z, OutcropCentre.x, OutcropCentre.y, 1.3) * (1.7 + 0.5 * ridges) +
           gaussian(x, z, -1.3, -3.7, 0.9) * 0.6 + gaussian(x, z, 7.0, 3.6, 0.7) * 0.45;
}

double flattenTowards(double h, double level, double distance, double inner, double outer) {
    return glm::mix(h, level, 1.0 - noise::smoothstep(inner, outer, distance));
}

// Meadows about 0.3 high that fall away towards the shore, so the beaches are wide and low.
double landHeight(double x, double z, double coast) {
    const double meadow = 0.3 + 0.14 * noise::fbm2(x * 0.3 + 3.1, z * 0.3, Seed + 1, 4);
    return meadow - 0.55 * noise::smoothstep(0.45, 0.9, coast) + craterRelief(x, z);
}

// Shallow along the beaches, deep farther out, so the shore slopes gently into the water.
// Towards the edge of the map it sinks to the depth of the far band around it.
double seaFloor(double x, double z, double coast) {
    const double edge = noise::smoothstep(MapHalfSize - 3.0, MapHalfSize, std::max(std::abs(x), std::abs(z)));
    const double floor =
        -1.2 - 2.3 * noise::smoothstep(1.2, 2.2, coast) + 0.2 * noise::fbm2(x * 0.2, z * 0.2, Seed + 3, 3);
    return glm::mix(floor, SkirtDepth, edge);
}

} // namespace

double height(double x, double z) {
    const double coast = coastMetric(x, z);
    double h = glm::mix(landHeight(x, z, coast), seaFloor(x, z, coast), noise::smoothstep(0.78, 1.3, coast));
    h += hills(x, z) * (1.0 - noise::smoothstep(1.0, 1.4, coast));

    h = flattenTowards(h, layout::PlazaHeight, glm::length(glm::dvec2(x, z)), layout::PlazaRadius,
                       layout::PlazaRadius + 0.6);
    h = flattenTowards(h, layout::HouseGround, glm::length(glm::dvec2(x, z) - layout::HouseCentre), 1.25,
                       1.9);
    for (double side : {-1.0, 1.0}) {
        const glm::dvec2 abutment(layout::channelCentreX(layout::BridgeZ) +
                                      side * (layout::BridgeHalfLength + 0.1),
                                  layout::BridgeZ);
        h = flattenTowards(h, layout::BankHeight, glm::length(glm::dvec2(x, z) - abutment), 0.45, 0.95);
    }

    // The channel cuts through land and leaves the sea floor alone.
    const double channel = 1.0 - noise::smoothstep(0.5, 1.2, std::abs(x - layout::channelCentreX(z)));
    const double channelBottom = -1.5;
    h -= channel * std::max(h - channelBottom, 0.0);
    return h;
}

glm::dvec3 normal(double x, double z) {
    const double e = 0.01;
    return glm::normalize(
        glm::dvec3(height(x - e, z) - height(x + e, z), 2.0 * e, height(x, z - e) - height(x, z + e)));
}

// Grid lines: evenly spaced across the map, plus one far line on either side. The band out to the far
// lines is a flat sea floor well below the water, so the end of the ground lies far away and deep,
// where the water hides it.
std::vector<double> gridLines(int cells) {
    std::vector<double> lines{-SkirtReach};
    for (int i = 0; i <= cells; ++i)
        lines.push_back(-MapHalfSize + 2.0 * MapHalfSize * i / cells);
    lines.push_back(SkirtReach);
    return lines;
}

double meshHeight(double x, double z) {
    return std::max(std::abs(x), std::abs(z)) > MapHalfSize ? SkirtDepth : height(x, z);
}

TriMesh buildMesh(int cells) {
    TriMesh mesh;
    const std::vector<double> lines = gridLines(cells);
    const int count = static_cast<int>(lines.size());
    for (int j = 0; j < count; ++j) {
        for (int i = 0; i < count; ++i) {
            const double x = lines[i], z = lines[j];
            // The texture is a map seen from above with north (-z) at the top; the far band takes the
            // colour of the map's edge.
            const glm::dvec2 uv = glm::clamp(
                glm::dvec2((x + MapHalfSize) / (2.0 * MapHalfSize), (MapHalfSize - z) / (2.0 * MapHalfSize)),
                0.001, 0.999);
            const bool far = std::max(std::abs(x), std::abs(z)) > MapHalfSize;
            mesh.addVertex(glm::dvec3(x, meshHeight(x, z), z), far ? glm::dvec3(0.0, 1.0, 0.0) : normal(x, z),
                           uv);
        }
    }
    const auto index = [count](int i, int j) { return static_cast<uint32_t>(j * count + i); };
    for (int j = 0; j + 1 < count; ++j) {
        for (int i = 0; i + 1 < count; ++i) {
            const uint32_t a = index(i, j), b = index(i + 1, j), c = index(i + 1, j + 1), d = index(i, j + 1);
            // Split each cell along the diagonal whose ends are closer in height: fewer creases.
            if (std::abs(mesh.positions[a].y - mesh.positions[c].y) <=
                std::abs(mesh.positions[b].y - mesh.positions[d].y)) {
                mesh.addTriangle(a, b, c);
                mesh.addTriangle(a, c, d);
            } else {
                mesh.addTriangle(a, b, d);
                mesh.addTriangle(b, c, d);
            }
        }
    }
    return mesh;
}

} // namespace terrain

namespace layout {

double channelCentreX(double z) {
    return ChannelX + 0.25 * std::sin(0.4 * z - 0.2) + 0.25 * std::sin(0.2);
}

double groundHeight(double x, double z) {
    return terrain::height(x, z);
}

} // namespace layout
