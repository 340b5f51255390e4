#pragma once

#include <glm/glm.hpp>

// Where things stand in the world, in model units with y up, as seen before the world's spin. The camera
// is at (0, 5, 12) looking at the origin and the world turns about the y axis, so every object stays
// within about 7 units of the axis: farther out, it would leave the bottom of the picture when the spin
// brings it to the front.
namespace layout {

// The water plane: the float32 with bits 0xBF2A6373.
constexpr double WaterHeight = -0.66558;

// The paved plaza at the centre, where the orb sinks towards (0, 0.2, 0).
constexpr double PlazaHeight = 0.2;
constexpr double PlazaRadius = 2.3;
constexpr double OrbHomeHeight = 2.6;

// The monkey ring around the plaza; the ring is turned so that the path to the bridge passes between
// two heads.
constexpr int RingCount = 8;
constexpr double RingRadius = 1.8;
constexpr double RingScale = 0.75;

// The channel runs roughly north-south east of the plaza; the bridge crosses it along x.
constexpr double ChannelX = 3.6;
constexpr double BridgeZ = 0.0;
constexpr double BridgeHalfLength = 1.4;
constexpr double BankHeight = 0.25;
double channelCentreX(double z);

// The cottage stands on a levelled terrace north-west of the plaza, its door facing the centre.
const glm::dvec2 HouseCentre(-3.15, -1.55); // (x, z)
constexpr double HouseGround = 0.45;

// Three golden idols stand on the south-western meadow, two stone heads on the islet across the bridge.
const glm::dvec2 IdolSpots[3] = {{-3.55, 1.25}, {-2.75, 2.75}, {-1.2, 3.55}};
const glm::dvec2 StatueSpots[2] = {{6.05, -1.85}, {6.15, 2.25}};

// Old meteor scars on the islet, where the meteor comes down (x 3 to 8, z -5 to 7).
struct Crater {
    glm::dvec2 centre; // (x, z)
    double radius;
};
const Crater Craters[4] = {
    {{5.55, 0.95}, 0.55}, {{6.55, -0.55}, 0.4}, {{5.35, 3.45}, 0.35}, {{6.9, 1.7}, 0.3}};

// The island ground the objects stand on (see Terrain.cpp).
double groundHeight(double x, double z);

} // namespace layout
