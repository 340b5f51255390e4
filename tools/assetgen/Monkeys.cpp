#include "Layout.h"
#include "Noise.h"
#include "RadialSurface.h"
#include "Scene.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

// Three monkey heads, each a smooth union of simple solids traced onto a grid, standing on a flat base
// at y = 0 and looking along +z. Their textures are painted on the same grid, feature by feature in
// model space (eyes, face, ears), so paint and shape line up exactly.
namespace {

using namespace shape;
constexpr double Pi = 3.141592653589793;

// Everything above the ground plane, the edge rounded off.
double standOnBase(double d, const glm::dvec3& p) {
    return smoothIntersect(d, -p.y, 0.03);
}

double signOf(double x) {
    return x < 0.0 ? -1.0 : 1.0;
}

// An eyeball's colours: white, a coloured iris and a dark pupil around gaze, and a glint.
glm::dvec3 eyeball(const glm::dvec3& toPoint, const glm::dvec3& gaze, const glm::dvec3& iris) {
    const double facing = glm::dot(glm::normalize(toPoint), glm::normalize(gaze));
    if (facing > 0.96 && toPoint.y > 0.0 && toPoint.x < 0.0)
        return glm::dvec3(0.95);
    if (facing > 0.93)
        return glm::dvec3(0.03);
    if (facing > 0.75)
        return iris * (0.8 + 0.4 * (facing - 0.75) / 0.18);
    return glm::dvec3(0.92, 0.89, 0.82);
}

// Monkey 1: a chimpanzee, big ears and a pale heart-shaped face; brown fur.
const glm::dvec3 ChimpEye(0.125, 0.535, 0.315);

double chimp(const glm::dvec3& p) {
    const glm::dvec3 m = mirrorX(p);
    double d = ellipsoid(p, {0.0, 0.57, -0.03}, {0.42, 0.41, 0.40});
    d = smoothUnion(d, ellipsoid(p, {0.0, 0.24, 0.0}, {0.27, 0.25, 0.25}), 0.12);
    d = smoothUnion(d, ellipsoid(p, {0.0, 0.34, 0.25}, {0.25, 0.17, 0.21}), 0.08);
    d = smoothUnion(d, ellipsoid(p, {0.0, 0.625, 0.25}, {0.31, 0.075, 0.13}), 0.06);
    d = smoothUnion(d, ellipsoid(m, {0.44, 0.54, -0.02}, {0.07, 0.16, 0.14}), 0.05);
    d = smoothSubtract(d, sphere(m, ChimpEye + glm::dvec3(0.0, 0.0, 0.04), 0.085), 0.02);
    d = smoothUnion(d, sphere(m, ChimpEye, 0.065), 0.015);
    d = smoothSubtract(d, ellipsoid(p, {0.0, 0.275, 0.45}, {0.15, 0.018, 0.07}), 0.015);
    return standOnBase(d, p);
}

glm::dvec3 paintChimp(const glm::dvec3& p, const glm::dvec3& n, double u, double v) {
    const glm::dvec3 m = mirrorX(p);
    // Fur streaks run downwards; 64 cells around so the streaks meet at the seam at the back.
    const double streak = noise::fbm2(u * 64.0, v * 12.0, 11, 3, 64);
    glm::dvec3 colour =
        glm::mix(glm::dvec3(0.20, 0.12, 0.07), glm::dvec3(0.42, 0.27, 0.15), 0.5 + 0.6 * streak);

    const double muzzle = std::pow(p.x / 0.25, 2.0) + std::pow((p.y - 0.34) / 0.2, 2.0);
    const double eyePatch = std::pow((m.x - 0.12) / 0.14, 2.0) + std::pow((p.y - 0.53) / 0.115, 2.0);
    const bool face = p.z > 0.16 && n.z > -0.1 && (muzzle < 1.0 || eyePatch < 1.0);
    if (face)
        colour = glm::dvec3(0.80, 0.62, 0.48) * (0.92 + 0.08 * noise::fbm2(u * 90.0, v * 45.0, 12, 2, 90));
    if (m.x > 0.41 && n.x * signOf(p.x) > 0.5)
        colour = glm::mix(glm::dvec3(0.78, 0.55, 0.46), glm::dvec3(0.55, 0.35, 0.3),
                          noise::smoothstep(0.5, 1.0, n.x * signOf(p.x)));

    const glm::dvec3 toEye = m - ChimpEye;
    if (glm::length(toEye) < 0.068 && p.z > 0.3)
        colour = eyeball(glm::dvec3(toEye.x * signOf(p.x), toEye.y, toEye.z), glm::dvec3(0.0, 0.15, 1.0),
                         glm::dvec3(0.35, 0.2, 0.08));
    if (std::abs(p.y - 0.275) < 0.014 && p.z > 0.4 && std::abs(p.x) < 0.14)
        colour = glm::dvec3(0.28, 0.12, 0.1);
    if (glm::length(glm::dvec2(m.x - 0.045, p.y - 0.35)) < 0.02 && p.z > 0.4)
        colour = glm::dvec3(0.2, 0.1, 0.08);
    return colour;
}

// Monkey 2: a golden baboon idol with a long snout, a crest, ruffs and ruby eyes.
const glm::dvec3 IdolEye(0.115, 0.6, 0.255);

double idol(const glm::dvec3& p) {
    const glm::dvec3 m = mirrorX(p);
    double d = ellipsoid(p, {0.0, 0.62, -0.06}, {0.34, 0.34, 0.36});
    d = smoothUnion(d, ellipsoid(p, {0.0, 0.26, -0.02}, {0.25, 0.27, 0.26}), 0.12);
    d = smoothUnion(d, ellipsoid(p, {0.0, 0.43, 0.3}, {0.15, 0.14, 0.27}), 0.1);
    d = smoothUnion(d, ellipsoid(m, {0.065, 0.5, 0.3}, {0.05, 0.05, 0.23}), 0.04);
    d = smoothUnion(d, sphere(p, {0.0, 0.45, 0.56}, 0.06), 0.04);
    d = smoothUnion(d, ellipsoid(p, {0.0, 0.685, 0.2}, {0.28, 0.07, 0.12}), 0.05);
    d = smoothUnion(d, ellipsoid(p, {0.0, 0.9, -0.08}, {0.05, 0.2, 0.3}), 0.06);
    d = smoothUnion(d, ellipsoid(m, {0.33, 0.73, -0.12}, {0.045, 0.14, 0.08}), 0.04);
    d = smoothUnion(d, ellipsoid(m, {0.27, 0.4, 0.02}, {0.14, 0.21, 0.19}), 0.08);
    d = smoothSubtract(d, sphere(m, IdolEye + glm::dvec3(0.0, 0.0, 0.035), 0.07), 0.02);
    d = smoothUnion(d, sphere(m, IdolEye, 0.05), 0.01);
    d = smoothSubtract(d, ellipsoid(p, {0.0, 0.32, 0.45}, {0.12, 0.02, 0.16}), 0.02);
    return standOnBase(d, p);
}

glm::dvec3 paintIdol(const glm::dvec3& p, const glm::dvec3& n, double u, double v) {
    const glm::dvec3 m = mirrorX(p);
    const glm::dvec3 gold(0.86, 0.64, 0.24);
    // Hammered metal: a fine mottle, darker where the surface faces down.
    const double mottle = noise::fbm2(u * 48.0, v * 24.0, 21, 3, 48);
    glm::dvec3 colour = gold * (0.85 + 0.15 * mottle) * (0.8 + 0.2 * noise::smoothstep(-0.6, 0.4, n.y));

    // Enamel inlays: turquoise ridges along the snout, a red nose, engraved bands on the crest.
    if (p.z > 0.2 && m.x > 0.02 && m.x < 0.12 && std::abs(p.y - 0.53) < 0.06 && p.z < 0.5)
        colour = glm::dvec3(0.12, 0.55, 0.58) * (0.9 + 0.1 * mottle);
    if (glm::length(p - glm::dvec3(0.0, 0.45, 0.6)) < 0.06)
        colour = glm::dvec3(0.72, 0.1, 0.08);
    if (p.y > 0.78 && std::abs(p.x) < 0.06 && std::fmod(std::abs(p.z + 0.4) * 16.0, 1.0) < 0.25)
        colour = glm::dvec3(0.35, 0.22, 0.08);
    const glm::dvec3 toEye = m - IdolEye;
    if (glm::length(toEye) < 0.058 && p.z > 0.25) {
        const double glint = glm::dot(glm::normalize(toEye), glm::normalize(glm::dvec3(-0.3, 0.5, 1.0)));
        colour =
            glint > 0.93 ? glm::dvec3(1.0, 0.85, 0.85) : glm::dvec3(0.65, 0.04, 0.1) * (0.6 + 0.5 * glint);
    }
    if (std::abs(p.y - 0.32) < 0.016 && p.z > 0.3 && std::abs(p.x) < 0.12)
        colour = glm::dvec3(0.3, 0.18, 0.06);
    return colour;
}

// Monkey 3: a weathered stone statue, a tall head on a block, with carved sockets and inlaid eyes.
const glm::dvec3 StatueEye(0.13, 1.12, 0.27);

double statue(const glm::dvec3& p) {
    const glm::dvec3 m = mirrorX(p);
    double d = ellipsoid(p, {0.0, 1.08, 0.0}, {0.33, 0.48, 0.34});
    d = smoothUnion(d, roundBox(p, {0.0, 0.36, -0.02}, {0.34, 0.37, 0.26}, 0.08), 0.08);
    d = smoothUnion(d, ellipsoid(p, {0.0, 1.25, 0.24}, {0.33, 0.085, 0.14}), 0.05);
    d = smoothUnion(d, ellipsoid(p, {0.0, 1.02, 0.3}, {0.09, 0.22, 0.1}), 0.05);
    d = smoothUnion(d, ellipsoid(p, {0.0, 0.8, 0.22}, {0.25, 0.15, 0.17}), 0.07);
    d = smoothUnion(d, ellipsoid(p, {0.0, 0.66, 0.15}, {0.2, 0.08, 0.15}), 0.05);
    d = smoothUnion(d, ellipsoid(m, {0.34, 1.08, -0.02}, {0.07, 0.2, 0.12}), 0.04);
    d = smoothSubtract(d, sphere(m, StatueEye + glm::dvec3(0.0, 0.0, 0.06), 0.085), 0.02);
    d = smoothUnion(d, sphere(m, StatueEye, 0.045), 0.01);
    d = smoothSubtract(d, ellipsoid(p, {0.0, 0.77, 0.39}, {0.16, 0.02, 0.06}), 0.015);
    return standOnBase(d, p);
}

glm::dvec3 paintStatue(const glm::dvec3& p, const glm::dvec3& n, double, double) {
    const glm::dvec3 m = mirrorX(p);
    const double grain = noise::fbm3(p * 9.0, 31, 4);
    glm::dvec3 colour = glm::dvec3(0.56, 0.54, 0.5) * (0.85 + 0.22 * grain);
    // Lichen settles on the surfaces that face the sky.
    const double lichen = noise::smoothstep(0.1, 0.35, noise::fbm3(p * 3.5, 32, 3) + 0.25 * n.y);
    colour = glm::mix(colour, glm::dvec3(0.45, 0.5, 0.22) * (0.9 + 0.2 * grain),
                      lichen * noise::smoothstep(-0.2, 0.5, n.y));
    const glm::dvec3 toEye = m - StatueEye;
    if (glm::length(toEye - glm::dvec3(0.0, 0.0, 0.06)) < 0.09 && p.z > 0.22)
        colour *= 0.55;
    if (glm::length(toEye) < 0.052 && p.z > 0.27)
        colour = eyeball(glm::dvec3(toEye.x * signOf(p.x), toEye.y, toEye.z), glm::dvec3(0.0, -0.1, 1.0),
                         glm::dvec3(0.08));
    if (std::abs(p.y - 0.77) < 0.02 && p.z > 0.33 && std::abs(p.x) < 0.16)
        colour = glm::dvec3(0.22, 0.21, 0.2);
    return colour;
}

glm::dmat4 placeOnGround(const glm::dvec2& spot, double yaw, double tilt, double scale, double sink) {
    const double ground = layout::groundHeight(spot.x, spot.y);
    glm::dmat4 m = glm::translate(glm::dmat4(1.0), glm::dvec3(spot.x, ground - sink, spot.y));
    m = glm::rotate(m, yaw, glm::dvec3(0.0, 1.0, 0.0));
    m = glm::rotate(m, -tilt, glm::dvec3(1.0, 0.0, 0.0));
    return glm::scale(m, glm::dvec3(scale));
}

// The turn about y that makes a model's +z face the origin from where it stands.
double facingCentre(const glm::dvec2& spot) {
    return std::atan2(-spot.x, -spot.y);
}

} // namespace

void writeMonkeys(Output& out) {
    const RadialSurface chimpHead(chimp, {0.0, 0.45, 0.02}, 0.9, 40, 28);
    out.texture("fur.png", chimpHead.paint(512, 256, paintChimp, 2), false);
    std::vector<Instance> ring;
    for (int k = 0; k < layout::RingCount; ++k) {
        // Half a step off the axes, so the way east to the bridge runs between two heads.
        const double angle = 2.0 * Pi * (k + 0.5) / layout::RingCount;
        const glm::dvec2 spot(layout::RingRadius * std::sin(angle), layout::RingRadius * std::cos(angle));
        ring.push_back({"Ring" + std::to_string(k),
                        placeOnGround(spot, facingCentre(spot), 0.2, layout::RingScale, 0.06)});
    }
    out.collada("monkey.dae", chimpHead.mesh(), "Chimp", "fur.png", ring);

    const RadialSurface idolHead(idol, {0.0, 0.5, 0.08}, 1.0, 44, 30);
    out.texture("gold.png", idolHead.paint(512, 256, paintIdol, 2), false);
    const double idolScales[3] = {1.0, 1.15, 1.0};
    std::vector<Instance> idols;
    for (int k = 0; k < 3; ++k) {
        const glm::dvec2 spot = layout::IdolSpots[k];
        idols.push_back(
            {"Idol" + std::to_string(k), placeOnGround(spot, facingCentre(spot), 0.0, idolScales[k], 0.04)});
    }
    out.collada("monkey2.dae", idolHead.mesh(), "Idol", "gold.png", idols);

    const RadialSurface statueHead(statue, {0.0, 0.85, 0.02}, 1.3, 40, 34);
    out.texture("stone.png", statueHead.paint(512, 256, paintStatue, 1), false);
    std::vector<Instance> statues;
    for (int k = 0; k < 2; ++k) {
        const glm::dvec2 spot = layout::StatueSpots[k];
        statues.push_back(
            {"Statue" + std::to_string(k), placeOnGround(spot, facingCentre(spot), 0.0, 1.0, 0.08)});
    }
    out.collada("monkey3.dae", statueHead.mesh(), "Statue", "stone.png", statues);
}
