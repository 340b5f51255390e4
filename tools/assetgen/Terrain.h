#pragma once

#include "Image.h"
#include "TriMesh.h"

// The island: a height field shared by the map mesh, its painted texture and the placement of every
// object that stands on the ground.
namespace terrain {

// The island's height field and its texture cover [-MapHalfSize, MapHalfSize] in x and z; a flat band
// of deep sea floor reaches on to SkirtReach.
constexpr double MapHalfSize = 10.0;
constexpr double SkirtReach = 40.0;
constexpr double SkirtDepth = -7.0;

double height(double x, double z);
glm::dvec3 normal(double x, double z);

TriMesh buildMesh(int cellsPerSide);
// Top-down colour picture of the whole map (u along +x, v along -z), sand, grass, rock, paving and
// paths according to height, slope and the layout.
Image paint(int size);

} // namespace terrain
