#pragma once

#include <cstdint>
#include <glm/glm.hpp>

// Lattice noise for the procedural images and shapes. Everything is computed in double precision from
// integer hashes, so a run gives the same numbers on every machine and at every optimisation level.
// A period of 0 means "not periodic"; a positive period makes the noise repeat after that many lattice
// cells, which is how the textures that wrap with GL_REPEAT become seamless.
namespace noise {

uint32_t hash(int32_t x, int32_t y, int32_t z, uint32_t seed);
// Uniform in [0, 1).
double hashUnit(int32_t x, int32_t y, int32_t z, uint32_t seed);

// Gradient noise, roughly in [-1, 1].
double gradient2(double x, double y, uint32_t seed, int period = 0);
double gradient3(const glm::dvec3& p, uint32_t seed);

// Sums of octaves, each at twice the frequency and half the amplitude of the one before, normalised
// to roughly [-1, 1]. The periodic variant doubles its period with its frequency, so it stays seamless.
double fbm2(double x, double y, uint32_t seed, int octaves, int period = 0);
double fbm3(const glm::dvec3& p, uint32_t seed, int octaves);

// Cellular noise: the distances to the nearest and second-nearest feature point, and an id of the
// nearest point's cell (uniform in [0, 1)).
struct Cells {
    double nearest;
    double second;
    double id;
};
Cells cells2(double x, double y, uint32_t seed, int period = 0);
Cells cells3(const glm::dvec3& p, uint32_t seed);

double smoothstep(double edge0, double edge1, double x);

} // namespace noise
