#include "Layout.h"
#include "Noise.h"
#include "Terrain.h"

#include <cmath>
#include <vector>

namespace terrain {
namespace {

constexpr uint32_t Seed = 2203;
constexpr double Pi = 3.141592653589793;

const glm::dvec3 GrassLush(0.22, 0.40, 0.12), GrassDry(0.45, 0.52, 0.20);
const glm::dvec3 SandDry(0.82, 0.74, 0.52), SandWet(0.56, 0.50, 0.37), SeaBed(0.10, 0.20, 0.22);
const glm::dvec3 RockLight(0.50, 0.48, 0.44), RockDark(0.28, 0.27, 0.26);
const glm::dvec3 Dirt(0.47, 0.36, 0.24), Gravel(0.55, 0.50, 0.44), Scorch(0.13, 0.11, 0.10);
const glm::dvec3 Paving(0.66, 0.61, 0.53), Mortar(0.33, 0.31, 0.28), Kerb(0.42, 0.40, 0.37);
const glm::dvec3 SunLight(0.86, 0.80, 0.64), SunGold(0.85, 0.58, 0.24);

struct Segment {
    glm::dvec2 a, b;
};

double distanceToSegment(const glm::dvec2& p, const Segment& s) {
    const glm::dvec2 ab = s.b - s.a;
    const double t = glm::clamp(glm::dot(p - s.a, ab) / glm::dot(ab, ab), 0.0, 1.0);
    return glm::length(p - (s.a + ab * t));
}

// Footpaths from the plaza to the cottage door and to the idols, and from the far end of the bridge to
// the two stone heads.
std::vector<Segment> footpaths() {
    const glm::dvec2 towardsCentre = glm::normalize(-layout::HouseCentre);
    const glm::dvec2 door = layout::HouseCentre + towardsCentre * 0.8;
    const glm::dvec2 bridgeEast(layout::channelCentreX(layout::BridgeZ) + layout::BridgeHalfLength,
                                layout::BridgeZ);
    const glm::dvec2 idolsMiddle = layout::IdolSpots[1] * 0.8;
    return {{door, towardsCentre * (layout::PlazaRadius - 0.2)},
            {glm::normalize(idolsMiddle) * (layout::PlazaRadius - 0.2), idolsMiddle},
            {bridgeEast, bridgeEast + glm::dvec2(0.5, 0.0)},
            {bridgeEast + glm::dvec2(0.5, 0.0), layout::StatueSpots[0] + glm::dvec2(-0.5, 0.3)},
            {bridgeEast + glm::dvec2(0.5, 0.0), layout::StatueSpots[1] + glm::dvec2(-0.5, -0.3)}};
}

// The plaza's paving: a sun medallion where the orb comes down, rings of flagstones, a kerb. Returns
// the colour at one point; the caller averages several points per texel for clean joints.
glm::dvec3 pavingAt(const glm::dvec2& p) {
    const double r = glm::length(p);
    const double angle = std::atan2(p.y, p.x) + Pi;
    if (r < 0.6) {
        if (r > 0.56)
            return Mortar;
        const double rays = std::cos(angle * 12.0);
        const double inner = r < 0.2 ? 1.0 : 0.0;
        return glm::mix(SunLight, SunGold,
                        glm::clamp(inner + (rays > 0.3 ? 1.0 : 0.0) * (r > 0.24 ? 1.0 : 0.0), 0.0, 1.0));
    }
    if (r > layout::PlazaRadius - 0.28)
        return r > layout::PlazaRadius - 0.26 && r < layout::PlazaRadius - 0.1 ? Kerb : Mortar;
    const double ringWidth = 0.33;
    const double ringPosition = (r - 0.6) / ringWidth;
    const double ring = std::floor(ringPosition);
    const double across = ringPosition - ring;
    const double middleRadius = 0.6 + (ring + 0.5) * ringWidth;
    const double count = std::round(2.0 * Pi * middleRadius / 0.42);
    const double around = angle / (2.0 * Pi) * count + ring * 0.37;
    const double stone = std::floor(around);
    const double along = (around - stone) * (2.0 * Pi * middleRadius / count);
    const double joint = 0.025;
    if (across * ringWidth < joint || along < joint)
        return Mortar;
    const auto ringIndex = static_cast<int32_t>(ring), stoneIndex = static_cast<int32_t>(stone);
    const double shade = 0.84 + 0.26 * noise::hashUnit(ringIndex, stoneIndex, 0, Seed);
    return Paving * shade;
}

glm::dvec3 groundAt(double x, double z, double h, const glm::dvec3& normal,
                    const std::vector<Segment>& paths) {
    const double slope = 1.0 - normal.y;
    const double fine = noise::fbm2(x * 7.0, z * 7.0, Seed + 1, 3);
    const double broad = noise::fbm2(x * 0.55, z * 0.55, Seed + 2, 3);

    glm::dvec3 grass =
        glm::mix(GrassLush, GrassDry, glm::clamp(0.45 + 0.7 * broad + 0.25 * (h - 0.3), 0.0, 1.0));
    grass *= 1.0 + 0.16 * fine;
    if (noise::hashUnit(static_cast<int32_t>(std::floor(x * 40.0)),
                        static_cast<int32_t>(std::floor(z * 40.0)), 5, Seed) > 0.996)
        grass = glm::dvec3(0.92, 0.88, 0.55); // a few flowers

    const double depth = layout::WaterHeight - h;
    glm::dvec3 sand = glm::mix(SandDry, SandWet, noise::smoothstep(-0.25, 0.05, depth));
    sand = glm::mix(sand, SeaBed, noise::smoothstep(0.1, 2.4, depth)) * (1.0 + 0.06 * fine);

    glm::dvec3 colour = glm::mix(sand, grass, noise::smoothstep(-0.5, -0.28, h + 0.04 * fine));

    const double rockiness =
        std::max(noise::smoothstep(0.3, 0.5, slope + 0.12 * fine) * noise::smoothstep(-0.9, -0.3, h),
                 noise::smoothstep(1.15, 1.6, h + 0.2 * fine));
    const noise::Cells cracks = noise::cells2(x * 5.0, z * 5.0, Seed + 3);
    glm::dvec3 rock = glm::mix(RockDark, RockLight, 0.35 + 0.45 * cracks.id + 0.2 * fine);
    if (cracks.second - cracks.nearest < 0.06)
        rock = RockDark * 0.8;
    colour = glm::mix(colour, rock, rockiness * noise::smoothstep(-0.7, -0.2, h));

    double toPath = 1e9;
    for (const Segment& s : paths)
        toPath = std::min(toPath, distanceToSegment(glm::dvec2(x, z), s));
    colour = glm::mix(colour, Dirt * (1.0 + 0.1 * fine),
                      1.0 - noise::smoothstep(0.14, 0.24, toPath + 0.05 * fine));

    const double toHouse = glm::length(glm::dvec2(x, z) - layout::HouseCentre);
    colour = glm::mix(colour, Gravel * (1.0 + 0.12 * fine),
                      1.0 - noise::smoothstep(0.9, 1.2, toHouse + 0.1 * fine));

    for (const glm::dvec2& statue : layout::StatueSpots)
        colour = glm::mix(
            colour, Gravel * (1.0 + 0.12 * fine),
            1.0 - noise::smoothstep(0.45, 0.6, glm::length(glm::dvec2(x, z) - statue) + 0.06 * fine));

    return colour;
}

double craterScorch(double x, double z) {
    double q = 1e9;
    for (const layout::Crater& c : layout::Craters)
        q = std::min(q, glm::length(glm::dvec2(x, z) - c.centre) / c.radius);
    return 0.85 * (1.0 - noise::smoothstep(0.5, 1.2, q));
}

} // namespace

Image paint(int size) {
    const std::vector<Segment> paths = footpaths();
    Image image(size, size);
    const double texel = 2.0 * MapHalfSize / size;
    const auto xAt = [texel](int tx) { return -MapHalfSize + (tx + 0.5) * texel; };
    const auto zAt = [texel](int ty) { return MapHalfSize - (ty + 0.5) * texel; };

    // Heights at every texel centre and a border of one, so slopes come from neighbours instead of
    // four more evaluations of the height field per texel.
    const int side = size + 2;
    std::vector<double> heights(static_cast<size_t>(side) * side);
    for (int ty = -1; ty <= size; ++ty)
        for (int tx = -1; tx <= size; ++tx)
            heights[static_cast<size_t>(ty + 1) * side + (tx + 1)] = height(xAt(tx), zAt(ty));
    const auto heightAt = [&](int tx, int ty) {
        return heights[static_cast<size_t>(ty + 1) * side + (tx + 1)];
    };

    for (int ty = 0; ty < size; ++ty) {
        for (int tx = 0; tx < size; ++tx) {
            const double x = xAt(tx), z = zAt(ty);
            // Row ty - 1 lies at larger z.
            const glm::dvec3 slopeNormal =
                glm::normalize(glm::dvec3(heightAt(tx - 1, ty) - heightAt(tx + 1, ty), 2.0 * texel,
                                          heightAt(tx, ty - 1) - heightAt(tx, ty + 1)));
            glm::dvec3 colour = groundAt(x, z, heightAt(tx, ty), slopeNormal, paths);
            colour = glm::mix(colour, Scorch, craterScorch(x, z));
            const double r = glm::length(glm::dvec2(x, z));
            if (r < layout::PlazaRadius + texel) {
                glm::dvec3 paving(0.0);
                for (int s = 0; s < 9; ++s) {
                    const glm::dvec2 p(x + ((s % 3) - 1) * texel / 3.0, z + ((s / 3) - 1) * texel / 3.0);
                    paving += glm::length(p) < layout::PlazaRadius - 0.08 ? pavingAt(p) : colour;
                }
                colour = paving / 9.0 * (1.0 + 0.05 * noise::fbm2(x * 9.0, z * 9.0, Seed + 9, 2));
            }
            image.at(tx, ty) = glm::dvec4(colour, 1.0);
        }
    }
    return image;
}

} // namespace terrain
