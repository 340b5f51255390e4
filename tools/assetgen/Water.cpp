#include "Layout.h"
#include "Noise.h"
#include "Scene.h"

#include <cmath>
#include <vector>

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
double waveHeight(double u, double v) {
    const int period = 4; // lattice cells across the tile
    double h = 0.6 * noise::fbm2(u * period, v * period, Seed, 3, period);
    // Two long swells along different directions, each a whole number of waves per tile.
    h += 0.2 * std::sin(2.0 * Pi * (3.0 * u + 1.0 * v));
    h += 0.15 * std::sin(2.0 * Pi * (-1.0 * u + 4.0 * v) + 1.3);
    return h;
}

// The slope at every texel by central differences (wrapping), scaled so the steepest is 1.
std::vector<glm::dvec2> waveSlopes(int size) {
    std::vector<double> heights(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            heights[static_cast<size_t>(y) * size + x] = waveHeight((x + 0.5) / size, (y + 0.5) / size);
    const auto at = [&](int x, int y) {
        return heights[static_cast<size_t>((y + size) % size) * size +
                       static_cast<size_t>((x + size) % size)];
    };
    std::vector<glm::dvec2> slopes;
    double steepest = 1e-9;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            slopes.emplace_back(at(x + 1, y) - at(x - 1, y), at(x, y + 1) - at(x, y - 1));
            steepest = std::max(steepest, glm::length(slopes.back()));
        }
    }
    for (glm::dvec2& s : slopes)
        s /= steepest;
    return slopes;
}

// Red and green hold the slope around 0.5, using nearly the whole byte range; the shader scales it.
Image dudvMap(int size) {
    const std::vector<glm::dvec2> slopes = waveSlopes(size);
    Image image(size, size);
    for (size_t i = 0; i < slopes.size(); ++i)
        image.pixels[i] = glm::dvec4(0.5 + 0.47 * slopes[i].x, 0.5 + 0.47 * slopes[i].y, 0.0, 1.0);
    return image;
}

// Tangent-space normals with blue up: red and green carry the tilt along u and v, 0.5 meaning none.
// The steepest waves lean about 30 degrees.
Image normalMap(int size) {
    const std::vector<glm::dvec2> slopes = waveSlopes(size);
    Image image(size, size);
    for (size_t i = 0; i < slopes.size(); ++i) {
        const glm::dvec3 n = glm::normalize(glm::dvec3(-slopes[i] * 0.58, 1.0));
        image.pixels[i] = glm::dvec4(n * 0.5 + 0.5, 1.0);
    }
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
