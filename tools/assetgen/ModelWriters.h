#pragma once

#include "TriMesh.h"

#include <glm/glm.hpp>
#include <string>
#include <vector>

// One placement of a model's geometry. The engine turns every child of a model's root node into one
// instance, so a COLLADA file gets one top-level node per Instance, each instancing the same geometry.
struct Instance {
    std::string name;
    glm::dmat4 transform;
};

// Shortest fixed-point text with at most `decimals` digits after the point: no exponent, no trailing
// zeros, never "-0". Fixed decimals keep the files identical from run to run and from machine to machine.
std::string formatNumber(double value, int decimals);

// A COLLADA 1.4.1 document (Y up, metres) with one geometry, one material whose diffuse texture is the
// bare file name `texture`, and one visual-scene node per instance.
std::string colladaText(const TriMesh& mesh, const std::string& name, const std::string& texture,
                        const std::vector<Instance>& instances);

// A Wavefront OBJ with exactly one object, and its material library. OBJ carries no node transforms, so
// the object's vertices are already where it stands.
std::string objText(const TriMesh& mesh, const std::string& objectName, const std::string& materialLibrary);
std::string mtlText(const std::string& objectName, const std::string& texture);
