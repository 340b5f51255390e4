#pragma once

#include <string>

// Small model files written by the mesh tests.

// A COLLADA file with two geometries: "tri" with vertices (0,0,0), (2,0,0), (0,4,0) and "big" with
// vertices (10,0,0), (10,10,0), (0,10,0), one triangle each. `nodes` is the visual scene's
// content, for example colladaNode("a", "1 0 0 1  0 1 0 2  0 0 1 3  0 0 0 1", "tri"). assimp turns the
// up axis into the root node's transform: "Z_UP" gives a rotation by -90 degrees about x.
std::string colladaModel(const std::string& nodes, const std::string& upAxis = "Y_UP");

// A node with a row-major matrix (as COLLADA writes it), an optional geometry and optional child nodes.
std::string colladaNode(const std::string& name, const std::string& rowMajorMatrix,
                        const std::string& geometry, const std::string& children = "");

// One triangle (0,0,0), (2,0,0), (0,4,0) with normals and texture coordinates, in object "tri".
std::string objTriangle();
