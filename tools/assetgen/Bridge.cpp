#include "Layout.h"
#include "Noise.h"
#include "Scene.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

// The footbridge over the channel: an arched deck of planks on two stringers, railings on posts and
// two pairs of piles standing in the water. One node places it across the channel.
namespace {

constexpr uint32_t Seed = 5501;
constexpr double HalfLength = layout::BridgeHalfLength;
constexpr double HalfWidth = 0.42;
constexpr double Rise = 0.35;
constexpr int Strips = 4; // plank strips stacked in the wood texture

// Deck top height along the bridge, 0 at both banks.
double deckHeight(double x) {
    return Rise * (1.0 - (x / HalfLength) * (x / HalfLength));
}

// The wood texture holds four planks one above the other, each a quarter of its height, with grain
// along u; it repeats along u every unit. A box gets one plank strip: its longest extent runs along
// the grain, the rest is squeezed across the strip.
auto woodUv(const glm::dvec3& size, int strip) {
    return [size, strip](int face, double s, double t) {
        const int sAxis = face < 2 ? 2 : 0, tAxis = face < 2 ? 1 : (face < 4 ? 2 : 1);
        const bool alongS = size[sAxis] >= size[tAxis];
        const double along = alongS ? s : t, across = (alongS ? t / size[tAxis] : s / size[sAxis]);
        return glm::dvec2(along + 0.37 * strip, (strip + 0.08 + 0.84 * across) / Strips);
    };
}

// A beam from a to b (in the xy plane of the bridge) with the given thickness (y) and width (z), at z.
void addBeam(TriMesh& mesh, const glm::dvec2& a, const glm::dvec2& b, double thickness, double width,
             double z, int strip) {
    const glm::dvec2 d = b - a;
    glm::dmat4 m = glm::translate(glm::dmat4(1.0), glm::dvec3((a + b) * 0.5, z));
    m = glm::rotate(m, std::atan2(d.y, d.x), glm::dvec3(0, 0, 1));
    const glm::dvec3 size(glm::length(d), thickness, width);
    addBox(mesh, m, size, woodUv(size, strip));
}

void addPost(TriMesh& mesh, const glm::dvec3& bottom, double height, double thickness, int strip) {
    const glm::dvec3 size(thickness, height, thickness);
    addBox(mesh, glm::translate(glm::dmat4(1.0), bottom + glm::dvec3(0.0, height / 2, 0.0)), size,
           woodUv(size, strip));
}

TriMesh footbridge() {
    TriMesh mesh;
    const int planks = 17;
    const double pitch = 2.0 * HalfLength / planks;
    for (int i = 0; i < planks; ++i) {
        const double x = -HalfLength + (i + 0.5) * pitch;
        const double tilt = std::atan(-2.0 * Rise * x / (HalfLength * HalfLength));
        glm::dmat4 m = glm::translate(glm::dmat4(1.0), glm::dvec3(x, deckHeight(x) - 0.02, 0.0));
        m = glm::rotate(m, tilt, glm::dvec3(0, 0, 1));
        const glm::dvec3 size(pitch * 0.86, 0.04, 2.0 * HalfWidth);
        addBox(mesh, m, size, woodUv(size, i % Strips));
    }
    const int segments = 8;
    for (double side : {-1.0, 1.0}) {
        for (int k = 0; k < segments; ++k) {
            const double x0 = -HalfLength + 2.0 * HalfLength * k / segments;
            const double x1 = -HalfLength + 2.0 * HalfLength * (k + 1) / segments;
            addBeam(mesh, {x0, deckHeight(x0) - 0.09}, {x1, deckHeight(x1) - 0.09}, 0.1, 0.07,
                    side * (HalfWidth - 0.06), 1);
        }
        const int posts = 5;
        for (int k = 0; k < posts; ++k) {
            const double x = -HalfLength + 0.08 + (2.0 * HalfLength - 0.16) * k / (posts - 1);
            addPost(mesh, {x, deckHeight(x) - 0.04, side * (HalfWidth - 0.03)}, 0.52, 0.06, 2);
            if (k + 1 < posts) {
                const double xn = -HalfLength + 0.08 + (2.0 * HalfLength - 0.16) * (k + 1) / (posts - 1);
                addBeam(mesh, {x, deckHeight(x) + 0.45}, {xn, deckHeight(xn) + 0.45}, 0.05, 0.06,
                        side * (HalfWidth - 0.03), 3);
            }
        }
        // Piles from the river bed up to the stringers.
        for (double x : {-0.55, 0.55})
            addPost(mesh, {x, -2.0, side * (HalfWidth - 0.06)}, deckHeight(x) + 2.0 - 0.12, 0.09, 0);
    }
    return mesh;
}

Image woodTexture(int size) {
    Image image(size, size);
    image.fill(
        [](double u, double v) {
            const double strip = std::floor(v * Strips);
            const double within = v * Strips - strip;
            const auto seed = static_cast<uint32_t>(Seed + strip);
            // Grain: long streaks along u, four lattice cells per repeat so the texture wraps along u.
            const double grain = noise::fbm2(u * 4.0, within * 24.0, seed, 4, 4);
            const double rings = std::sin((within * 9.0 + 2.5 * grain) * 6.283185307179586);
            const glm::dvec3 light(0.62, 0.46, 0.3), dark(0.36, 0.24, 0.14);
            glm::dvec3 c = glm::mix(dark, light, 0.55 + 0.25 * rings + 0.2 * grain);
            c *= 0.8 + 0.2 * noise::hashUnit(static_cast<int32_t>(strip), 0, 0, Seed);
            if (within < 0.05 || within > 0.95)
                c *= 0.45; // the gap between planks
            return glm::dvec4(c, 1.0);
        },
        2);
    return image;
}

} // namespace

void writeBridge(Output& out) {
    out.texture("wood.png", woodTexture(256), false);
    const glm::dvec3 place(layout::channelCentreX(layout::BridgeZ), layout::BankHeight, layout::BridgeZ);
    out.collada("bridge.dae", footbridge(), "Bridge", "wood.png",
                {{"Bridge", glm::translate(glm::dmat4(1.0), place)}});
}
