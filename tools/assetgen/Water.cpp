#include "Layout.h"
#include "Noise.h"
#include "Scene.h"

#include <cmath>

namespace {

constexpr uint32_t Seed = 4409;
constexpr double Pi = 3.141592653589793;

// The sheet reaches 100 units from the centre in every direction, past the far plane of the camera at
// (0, 5, 12), so the water runs to the edge of the visible world. Texture coordinates repeat every
// RepeatLength units, giving ripples of a believable size.
constexpr double HalfSize = 100.0;
constexpr double RepeatLength = 4.0;

TriMesh waterSheet() {
    TriMesh mesh;
    const glm::dvec3 up(0.0, 1.0, 0.0);
    const double y = layout::WaterHeight;
    const double repeats = 2.0 * HalfSize / RepeatLength;
    const glm::dvec3 corners[4] = {{-HalfSize, y, HalfSize},
                                   {HalfSize, y, HalfSize},
                                   {HalfSize, y, -HalfSize},
                                   {-HalfSize, y, -HalfSize}};
    const glm::dvec2 uvs[4] = {{0.0, 0.0}, {repeats, 0.0}, {repeats, repeats}, {0.0, repeats}};
    mesh.addQuad(corners, uvs, up);
    return mesh;
}

// One tileable height field of small waves drives both water maps, so the distortion and the
// highlights agree: the du/dv map holds its slope, the normal map the matching surface normal.
struct Waves {
    static constexpr int Period = 8; // lattice cells across the tile
    double height(double u, double v) const {
        double h = 0.55 * noise::fbm2(u * Period, v * Period, Seed, 4, Period);
        // Two long swells along different directions, each a whole number of waves per tile.
        h += 0.25 * std::sin(2.0 * Pi * (3.0 * u + 1.0 * v));
        h += 0.2 * std::sin(2.0 * Pi * (-1.0 * u + 4.0 * v) + 1.3);
        return h;
    }
    // Slope in height units per tile, by central differences one texel wide.
    glm::dvec2 slope(double u, double v, double texel) const {
        return glm::dvec2(height(u + texel, v) - height(u - texel, v),
                          height(u, v + texel) - height(u, v - texel)) /
               (2.0 * texel);
    }
};

Image dudvMap(int size) {
    const Waves waves;
    Image image(size, size);
    image.fill([&](double u, double v) {
        const glm::dvec2 s = waves.slope(u, v, 1.0 / size) * 0.025;
        return glm::dvec4(0.5 + s.x, 0.5 + s.y, 0.0, 1.0);
    });
    return image;
}

// Tangent-space normals with blue up: red and green carry the x and z tilt, 0.5 meaning none.
Image normalMap(int size) {
    const Waves waves;
    Image image(size, size);
    image.fill([&](double u, double v) {
        const glm::dvec2 s = waves.slope(u, v, 1.0 / size) * 0.02;
        const glm::dvec3 n = glm::normalize(glm::dvec3(-s.x, -s.y, 1.0));
        return glm::dvec4(n * 0.5 + 0.5, 1.0);
    });
    return image;
}

} // namespace

void writeWater(Output& out) {
    out.texture("dudv.png", dudvMap(256), false);
    out.texture("normalmap.png", normalMap(256), false);
    // The water pass samples the two maps itself; the material names the du/dv map so that the model
    // obeys the same rule as every other one.
    out.collada("water.dae", waterSheet(), "Water", "dudv.png", {{"Water", glm::dmat4(1.0)}});
}
