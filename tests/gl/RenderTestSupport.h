#pragma once

// Shared by the render pass tests: a recorder of the GL calls the passes make, small meshes with the
// model layout, a resource tree holding chosen shader files, and pixel helpers.

#include "assets/Mesh.h"
#include "scene/Camera.h"
#include "scene/PointLight.h"
#include "scene/SceneObject.h"
#include "support/GlTest.h"
#include "support/TempTree.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <string>
#include <vector>

namespace rendertest {

// What was current when a draw was issued.
struct DrawRecord {
    GLuint program = 0;
    GLuint vertexArray = 0;
    GLuint framebuffer = 0;
    GLsizei instances = 0;
    GLuint cubeOnUnit1 = 0;
    bool clipDistance0 = false;
    std::array<GLint, 4> viewport{};
};

struct UniformRecord {
    GLuint program = 0;
    GLint location = -1;
    std::vector<float> values;
};

// While it lives, the GLEW entry points the passes use go through recording hooks. OpenGL 1.1 functions
// (glBindTexture, glViewport, glClear, glEnable) are not GLEW pointers; their effect is checked through
// the state instead.
class GlCallLog {
  public:
    GlCallLog();
    ~GlCallLog();
    GlCallLog(const GlCallLog&) = delete;
    GlCallLog& operator=(const GlCallLog&) = delete;

    std::vector<std::string> calls; // every recorded function, by name, in call order
    std::vector<std::string> uniformLookups;
    std::vector<DrawRecord> draws;
    std::vector<UniformRecord> uniforms;
    std::vector<GLuint> deletedPrograms;
    std::vector<GLuint> deletedFramebuffers;

    // The uniform uploads to `location` of `program`, in order.
    std::vector<std::vector<float>> valuesAt(GLuint program, GLint location) const;
    size_t count(const std::string& function) const;
};

// A mesh in the model layout (0 position, 1 normal, 2 texture coordinate, 3..6 instance matrix) with a
// 1 x 1 diffuse texture of one colour. Owns its GL objects.
class TestMesh {
  public:
    TestMesh(const std::vector<glm::vec3>& positions, const std::vector<glm::vec3>& normals,
             const std::vector<uint32_t>& indices, uint32_t rgba);
    ~TestMesh();
    TestMesh(const TestMesh&) = delete;
    TestMesh& operator=(const TestMesh&) = delete;

    Mesh mesh;
};

// A square of side 2 * halfSize in the plane y = 0, facing up, centred on the origin.
TestMesh* createFloorSquare(float halfSize, uint32_t rgba = 0xffffffffu);

// A closed box standing on the plane y = 0: x and z from -half to half, y from 0 to height.
TestMesh* createBox(float half, float height, uint32_t rgba = 0xffffffffu);

// An object placed once, at `transform`, with this frame's instance already built.
class PlacedObject : public SceneObject {
  public:
    PlacedObject(Mesh& mesh, const glm::mat4& transform);
    void draw(int32_t diffuseLocation) override;

    int drawCalls = 0;
    std::vector<int32_t> diffuseLocations;
    std::function<void()> onDraw; // runs inside draw, before the mesh is drawn
};

// A white point light with the orb's shadow projection (far plane 25).
PointLight whiteLight(const glm::vec3& position);

// A camera at `eye` looking at `target`, with a 60 degree lens for a width x height image.
Camera lookingCamera(const glm::vec3& eye, const glm::vec3& target, int width, int height);

// Copies the named files of the repository's Resources/Shaders into the tree's shader folder.
void copyShaders(const TempTree& tree, const std::vector<std::string>& fileNames);

// The pixel of the bound read framebuffer under a world point as `camera` sees it.
// Fails the test when the point lies outside the image.
glm::u8vec4 pixelAt(const Camera& camera, const glm::vec3& world, int width, int height);
glm::u8vec4 readPixel(int x, int y);

} // namespace rendertest
