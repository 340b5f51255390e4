#include "Noise.h"
#include "Random.h"
#include "Scene.h"

#include <cmath>
#include <vector>

// The six sky-box faces. Every texel's colour is a function of its direction alone (nebulae from 3D
// noise, stars as small glows around fixed directions), so neighbouring faces agree along their shared
// edges and the cube shows no seam.
namespace {

constexpr uint32_t Seed = 9001;
constexpr int FaceSize = 1024;

// OpenGL's cube-map convention: for face i (+x, -x, +y, -y, +z, -z) and texture coordinates (s, t) in
// [0, 1], the direction looked up. Texel row 0 is t = 0, as the engine uploads rows bottom first.
glm::dvec3 faceDirection(int face, double s, double t) {
    const double sc = 2.0 * s - 1.0, tc = 2.0 * t - 1.0;
    switch (face) {
    case 0:
        return {1.0, -tc, -sc};
    case 1:
        return {-1.0, -tc, sc};
    case 2:
        return {sc, 1.0, tc};
    case 3:
        return {sc, -1.0, -tc};
    case 4:
        return {sc, -tc, 1.0};
    default:
        return {-sc, -tc, -1.0};
    }
}

// The inverse for one face: where direction d lands on it, in texels (may lie outside the face).
bool faceTexel(int face, const glm::dvec3& d, glm::dvec2& texel) {
    const int axis = face / 2;
    const double major = face % 2 == 0 ? d[axis] : -d[axis];
    if (major < 0.3)
        return false;
    double sc = 0.0, tc = 0.0;
    switch (face) {
    case 0:
        sc = -d.z;
        tc = -d.y;
        break;
    case 1:
        sc = d.z;
        tc = -d.y;
        break;
    case 2:
        sc = d.x;
        tc = d.z;
        break;
    case 3:
        sc = d.x;
        tc = -d.z;
        break;
    case 4:
        sc = d.x;
        tc = -d.y;
        break;
    default:
        sc = -d.x;
        tc = -d.y;
        break;
    }
    texel =
        glm::dvec2((sc / major + 1.0) * 0.5, (tc / major + 1.0) * 0.5) * static_cast<double>(FaceSize) - 0.5;
    return true;
}

// A faint galactic band along a tilted great circle, and two nebulae: violet and teal clouds.
const glm::dvec3 BandNormal = glm::normalize(glm::dvec3(0.35, 0.55, -0.76));

glm::dvec3 background(const glm::dvec3& d) {
    const double band = std::exp(-std::pow(glm::dot(d, BandNormal) / 0.22, 2.0));
    const double dust = noise::fbm3(d * 3.0, Seed, 5);
    const double clouds = noise::fbm3(d * 1.7 + 5.0, Seed + 1, 5);
    glm::dvec3 c(0.006, 0.008, 0.022);
    c += glm::dvec3(0.14, 0.13, 0.17) * band * noise::smoothstep(-0.35, 0.5, dust);
    c += glm::dvec3(0.26, 0.06, 0.32) * noise::smoothstep(0.1, 0.6, clouds) * (0.6 + 0.4 * dust);
    c += glm::dvec3(0.03, 0.19, 0.22) * noise::smoothstep(0.15, 0.65, -clouds) * (0.5 + 0.5 * dust);
    return c;
}

struct Star {
    glm::dvec3 direction;
    glm::dvec3 colour; // peak brightness per channel
    double size;       // glow radius in radians
};

std::vector<Star> makeStars(int count) {
    Random random(Seed);
    std::vector<Star> stars;
    const double texelAngle = 1.5707963267948966 / FaceSize;
    for (int i = 0; i < count; ++i) {
        // Uniform over the sphere.
        const double z = random.range(-1.0, 1.0), phi = random.range(0.0, 6.283185307179586);
        const double r = std::sqrt(1.0 - z * z);
        const glm::dvec3 d(r * std::cos(phi), r * std::sin(phi), z);
        // Many faint stars, few bright ones; more of them along the band.
        const double band = std::exp(-std::pow(glm::dot(d, BandNormal) / 0.25, 2.0));
        if (random.uniform() > 0.45 + 0.55 * band)
            continue;
        const double brightness = 0.25 + 1.6 * std::pow(random.uniform(), 7.0);
        const double temperature = random.uniform();
        const glm::dvec3 tint = temperature < 0.2   ? glm::dvec3(1.0, 0.75, 0.55)
                                : temperature < 0.7 ? glm::dvec3(1.0, 0.95, 0.88)
                                                    : glm::dvec3(0.75, 0.85, 1.0);
        stars.push_back({d, tint * brightness, texelAngle * (0.55 + 0.9 * std::max(0.0, brightness - 0.6))});
    }
    return stars;
}

// The background is smooth: evaluate it on a coarse grid that includes the face edges (which the
// neighbouring face evaluates identically) and interpolate.
void paintBackground(Image& image, int face) {
    const int grid = 129;
    std::vector<glm::dvec3> samples(static_cast<size_t>(grid) * grid);
    for (int j = 0; j < grid; ++j)
        for (int i = 0; i < grid; ++i)
            samples[static_cast<size_t>(j) * grid + i] =
                background(glm::normalize(faceDirection(face, i / (grid - 1.0), j / (grid - 1.0))));
    for (int y = 0; y < FaceSize; ++y) {
        for (int x = 0; x < FaceSize; ++x) {
            const double gx = (x + 0.5) / FaceSize * (grid - 1), gy = (y + 0.5) / FaceSize * (grid - 1);
            const int i = std::min(static_cast<int>(gx), grid - 2),
                      j = std::min(static_cast<int>(gy), grid - 2);
            const double fx = gx - i, fy = gy - j;
            const auto at = [&](int a, int b) { return samples[static_cast<size_t>(b) * grid + a]; };
            image.at(x, y) = glm::dvec4(glm::mix(glm::mix(at(i, j), at(i + 1, j), fx),
                                                 glm::mix(at(i, j + 1), at(i + 1, j + 1), fx), fy),
                                        1.0);
        }
    }
}

void paintStars(Image& image, int face, const std::vector<Star>& stars) {
    const double texelAngle = 1.5707963267948966 / FaceSize;
    for (const Star& star : stars) {
        glm::dvec2 centre;
        if (!faceTexel(face, star.direction, centre))
            continue;
        const int reach = static_cast<int>(std::ceil(3.0 * star.size / texelAngle)) + 1;
        const int x0 = std::max(0, static_cast<int>(centre.x) - reach),
                  x1 = std::min(FaceSize - 1, static_cast<int>(centre.x) + reach);
        const int y0 = std::max(0, static_cast<int>(centre.y) - reach),
                  y1 = std::min(FaceSize - 1, static_cast<int>(centre.y) + reach);
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const glm::dvec3 d =
                    glm::normalize(faceDirection(face, (x + 0.5) / FaceSize, (y + 0.5) / FaceSize));
                const double angle = std::acos(glm::clamp(glm::dot(d, star.direction), -1.0, 1.0));
                const double glow = std::exp(-std::pow(angle / star.size, 2.0));
                image.at(x, y) += glm::dvec4(star.colour * glow, 0.0);
            }
        }
    }
}

} // namespace

void writeStarfield(Output& out) {
    const std::vector<Star> stars = makeStars(16000);
    const char* const names[6] = {"starfield_rt.JPG", "starfield_lf.JPG", "starfield_up.JPG",
                                  "starfield_dn.JPG", "starfield_bk.JPG", "starfield_ft.JPG"};
    for (int face = 0; face < 6; ++face) {
        Image image(FaceSize, FaceSize);
        paintBackground(image, face);
        paintStars(image, face, stars);
        out.skyFace(names[face], image);
    }
}
