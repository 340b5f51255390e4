#include "Noise.h"

#include <cmath>

namespace noise {
namespace {

int32_t wrap(int32_t i, int period) {
    if (period <= 0)
        return i;
    const int32_t r = i % period;
    return r < 0 ? r + period : r;
}

double fade(double t) {
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

// 256 evenly spread unit directions, made once: a table look-up instead of two trigonometric calls
// per lattice corner, which dominated the generator's run time.
struct GradientTable {
    GradientTable() {
        for (int i = 0; i < 256; ++i) {
            const double angle = (i + 0.5) * (6.283185307179586 / 256.0);
            directions[i] = glm::dvec2(std::cos(angle), std::sin(angle));
        }
    }
    glm::dvec2 directions[256];
};

double dotGradient2(int32_t ix, int32_t iy, double dx, double dy, uint32_t seed, int period) {
    static const GradientTable table;
    const glm::dvec2& g = table.directions[hash(wrap(ix, period), wrap(iy, period), 0, seed) >> 24];
    return g.x * dx + g.y * dy;
}

// Perlin's twelve cube-edge directions: no trigonometry, no bias along the axes.
double dotGradient3(int32_t ix, int32_t iy, int32_t iz, const glm::dvec3& d, uint32_t seed) {
    switch (hash(ix, iy, iz, seed) % 12u) {
    case 0:
        return d.x + d.y;
    case 1:
        return -d.x + d.y;
    case 2:
        return d.x - d.y;
    case 3:
        return -d.x - d.y;
    case 4:
        return d.x + d.z;
    case 5:
        return -d.x + d.z;
    case 6:
        return d.x - d.z;
    case 7:
        return -d.x - d.z;
    case 8:
        return d.y + d.z;
    case 9:
        return -d.y + d.z;
    case 10:
        return d.y - d.z;
    default:
        return -d.y - d.z;
    }
}

} // namespace

uint32_t hash(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(z) * 0x27D4EB2Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

double hashUnit(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    return static_cast<double>(hash(x, y, z, seed)) * (1.0 / 4294967296.0);
}

double gradient2(double x, double y, uint32_t seed, int period) {
    const double fx = std::floor(x), fy = std::floor(y);
    const auto ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    const double dx = x - fx, dy = y - fy;
    const double n00 = dotGradient2(ix, iy, dx, dy, seed, period);
    const double n10 = dotGradient2(ix + 1, iy, dx - 1.0, dy, seed, period);
    const double n01 = dotGradient2(ix, iy + 1, dx, dy - 1.0, seed, period);
    const double n11 = dotGradient2(ix + 1, iy + 1, dx - 1.0, dy - 1.0, seed, period);
    const double u = fade(dx), v = fade(dy);
    // 2D gradient noise peaks near 0.7; scale it to about [-1, 1].
    return 1.4 * lerp(lerp(n00, n10, u), lerp(n01, n11, u), v);
}

double gradient3(const glm::dvec3& p, uint32_t seed) {
    const glm::dvec3 f = glm::floor(p);
    const auto ix = static_cast<int32_t>(f.x), iy = static_cast<int32_t>(f.y), iz = static_cast<int32_t>(f.z);
    const glm::dvec3 d = p - f;
    double corner[8];
    for (int c = 0; c < 8; ++c) {
        const int ox = c & 1, oy = (c >> 1) & 1, oz = (c >> 2) & 1;
        corner[c] = dotGradient3(ix + ox, iy + oy, iz + oz, d - glm::dvec3(ox, oy, oz), seed);
    }
    const double u = fade(d.x), v = fade(d.y), w = fade(d.z);
    const double x00 = lerp(corner[0], corner[1], u), x10 = lerp(corner[2], corner[3], u);
    const double x01 = lerp(corner[4], corner[5], u), x11 = lerp(corner[6], corner[7], u);
    return lerp(lerp(x00, x10, v), lerp(x01, x11, v), w);
}

double fbm2(double x, double y, uint32_t seed, int octaves, int period) {
    double sum = 0.0, amplitude = 1.0, total = 0.0, frequency = 1.0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * gradient2(x * frequency, y * frequency, seed + 101u * static_cast<uint32_t>(o),
                                     period > 0 ? period << o : 0);
        total += amplitude;
        amplitude *= 0.5;
        frequency *= 2.0;
    }
    return sum / total;
}

double fbm3(const glm::dvec3& p, uint32_t seed, int octaves) {
    double sum = 0.0, amplitude = 1.0, total = 0.0, frequency = 1.0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * gradient3(p * frequency, seed + 101u * static_cast<uint32_t>(o));
        total += amplitude;
        amplitude *= 0.5;
        frequency *= 2.0;
    }
    return sum / total;
}

Cells cells2(double x, double y, uint32_t seed, int period) {
    const double fx = std::floor(x), fy = std::floor(y);
    const auto ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    Cells result{1e9, 1e9, 0.0};
    for (int oy = -1; oy <= 1; ++oy) {
        for (int ox = -1; ox <= 1; ++ox) {
            const int32_t cx = wrap(ix + ox, period), cy = wrap(iy + oy, period);
            const double px = ix + ox + hashUnit(cx, cy, 1, seed);
            const double py = iy + oy + hashUnit(cx, cy, 2, seed);
            const double d = std::hypot(px - x, py - y);
            if (d < result.nearest) {
                result.second = result.nearest;
                result.nearest = d;
                result.id = hashUnit(cx, cy, 3, seed);
            } else if (d < result.second) {
                result.second = d;
            }
        }
    }
    return result;
}

Cells cells3(const glm::dvec3& p, uint32_t seed) {
    const glm::dvec3 f = glm::floor(p);
    const auto ix = static_cast<int32_t>(f.x), iy = static_cast<int32_t>(f.y), iz = static_cast<int32_t>(f.z);
    Cells result{1e9, 1e9, 0.0};
    for (int oz = -1; oz <= 1; ++oz) {
        for (int oy = -1; oy <= 1; ++oy) {
            for (int ox = -1; ox <= 1; ++ox) {
                const int32_t cx = ix + ox, cy = iy + oy, cz = iz + oz;
                const glm::dvec3 point(cx + hashUnit(cx, cy, cz, seed), cy + hashUnit(cx, cy, cz, seed + 1u),
                                       cz + hashUnit(cx, cy, cz, seed + 2u));
                const double d = glm::length(point - p);
                if (d < result.nearest) {
                    result.second = result.nearest;
                    result.nearest = d;
                    result.id = hashUnit(cx, cy, cz, seed + 3u);
                } else if (d < result.second) {
                    result.second = d;
                }
            }
        }
    }
    return result;
}

double smoothstep(double edge0, double edge1, double x) {
    const double t = glm::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

} // namespace noise
