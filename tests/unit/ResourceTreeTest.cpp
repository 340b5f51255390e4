// The committed resource tree under the engine's rules: every listed file loads the way the engine
// loads it, and the scene the files make fits the fixed camera and the effect objects.

#include "ResourceFiles.h"
#include "support/TempTree.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace fs = std::filesystem;
using namespace resources;

namespace {

const std::vector<std::string> SceneModels = {"lava.dae",    "meteor.dae",  "map.dae",
                                              "house.obj",   "bridge.dae",  "monkey.dae",
                                              "monkey2.dae", "monkey3.dae", "water.dae"};
const std::vector<std::string> SkyFaces = {"starfield_rt.JPG", "starfield_lf.JPG", "starfield_up.JPG",
                                           "starfield_dn.JPG", "starfield_bk.JPG", "starfield_ft.JPG"};
constexpr uint32_t WaterHeightBits = 0xBF2A6373u; // -0.66558 as float32
const float WaterHeight = -0.66558f;

fs::path texturesFolder() {
    return repositoryRoot() / "Resources" / "Textures";
}
fs::path meshesFolder() {
    return repositoryRoot() / "Resources" / "Meshes";
}

std::vector<std::string> listEntries(const fs::path& list) {
    std::vector<std::string> names;
    for (const std::string& line : readLines(list))
        names.push_back(listEntryName(line));
    return names;
}

std::vector<std::string> textureList() {
    return listEntries(texturesFolder() / "Textures");
}
std::vector<std::string> meshList() {
    return listEntries(meshesFolder() / "Meshes");
}

// Every model the engine loads: the listed ones and the particle plane, which the catalogue loads by
// its fixed name.
std::vector<std::string> loadedModels() {
    std::vector<std::string> names = meshList();
    names.push_back("plane.obj");
    return names;
}

const Model& model(const std::string& name) {
    static std::map<std::string, Model> cache;
    auto found = cache.find(name);
    if (found == cache.end())
        found = cache.emplace(name, importModel(meshesFolder() / name)).first;
    return found->second;
}

// World positions of every vertex of every instance, before the world's spin.
std::vector<glm::vec3> placedVertices(const Model& m) {
    std::vector<glm::vec3> placed;
    for (const glm::mat4& instance : m.instances)
        for (const glm::vec3& p : m.positions)
            placed.push_back(glm::vec3(instance * glm::vec4(p, 1.0f)));
    return placed;
}

// Smallest box around the model's own vertices, instances not applied.
std::pair<glm::vec3, glm::vec3> bounds(const Model& m) {
    glm::vec3 low(1e9f), high(-1e9f);
    for (const glm::vec3& p : m.positions) {
        low = glm::min(low, p);
        high = glm::max(high, p);
    }
    return {low, high};
}

} // namespace

TEST(ResourceTree, ListFilesHoldCleanNamesAndEverythingTheSceneLooksUp) {
    for (const fs::path& list : {texturesFolder() / "Textures", meshesFolder() / "Meshes"}) {
        SCOPED_TRACE(list.string());
        const std::vector<std::string> lines = readLines(list);
        ASSERT_FALSE(lines.empty());
        std::set<std::string> seen;
        for (const std::string& line : lines) {
            // Whole lines are names: no comment, no carriage return, nothing the engine would cut off.
            EXPECT_FALSE(line.empty());
            EXPECT_EQ(listEntryName(line), line);
            EXPECT_LE(line.size(), 99u);
            EXPECT_TRUE(seen.insert(line).second) << "listed twice: " << line;
        }
    }
    const std::vector<std::string> meshes = meshList();
    for (const std::string& name : SceneModels)
        EXPECT_NE(std::find(meshes.begin(), meshes.end(), name), meshes.end()) << name << " is not listed";
    // Listing these would shadow the catalogue's own particle plane and quad.
    EXPECT_EQ(std::find(meshes.begin(), meshes.end(), "plane.obj"), meshes.end());
    EXPECT_EQ(std::find(meshes.begin(), meshes.end(), "quad"), meshes.end());
    const std::vector<std::string> textures = textureList();
    for (const std::string name : {"dudv.png", "normalmap.png"})
        EXPECT_NE(std::find(textures.begin(), textures.end(), name), textures.end())
            << name << " is not listed";
}

TEST(ResourceTree, EveryModelIsOneShapeWithNormalsTexCoordsAndAListedTexture) {
    const std::vector<std::string> textures = textureList();
    for (const std::string& name : loadedModels()) {
        SCOPED_TRACE(name);
        const Model& m = model(name);
        ASSERT_EQ(m.failure, "");
        // One geometry, and every child of the root places exactly that one: a second OBJ object or a
        // node with other geometry would be drawn with the first child's shape instead.
        EXPECT_EQ(m.meshCount, 1u);
        for (size_t c = 0; c < m.childMeshes.size(); ++c) {
            EXPECT_EQ(m.childMeshes[c], m.childMeshes[0]) << "child " << c;
            EXPECT_EQ(m.childMeshCounts[c], 1u) << "child " << c;
        }
        EXPECT_TRUE(m.trianglesOnly);
        ASSERT_TRUE(m.hasNormals);
        ASSERT_TRUE(m.hasTexCoords);
        ASSERT_FALSE(m.positions.empty());
        for (size_t i = 0; i < m.positions.size(); ++i) {
            ASSERT_TRUE(std::isfinite(m.positions[i].x) && std::isfinite(m.positions[i].y) &&
                        std::isfinite(m.positions[i].z));
            ASSERT_NEAR(glm::length(m.normals[i]), 1.0f, 1e-3f) << "vertex " << i;
            ASSERT_TRUE(std::isfinite(m.texCoords[i].x) && std::isfinite(m.texCoords[i].y));
        }
        // Front faces (counter-clockwise) face the way their normals point.
        size_t inverted = 0;
        for (size_t t = 0; t + 2 < m.indices.size(); t += 3) {
            const glm::vec3 a = m.positions[m.indices[t]], b = m.positions[m.indices[t + 1]],
                            c = m.positions[m.indices[t + 2]];
            const glm::vec3 face = glm::cross(b - a, c - a);
            if (glm::length(face) < 1e-7f)
                continue;
            const glm::vec3 normals =
                m.normals[m.indices[t]] + m.normals[m.indices[t + 1]] + m.normals[m.indices[t + 2]];
            if (glm::dot(face, normals) <= 0.0f)
                ++inverted;
        }
        EXPECT_EQ(inverted, 0u);
        // The engine finds the texture by the material's path, byte for byte, in the texture table.
        EXPECT_NE(std::find(textures.begin(), textures.end(), m.texture), textures.end())
            << "texture \"" << m.texture << "\" is not in the texture list";
        EXPECT_TRUE(loadPicture(texturesFolder() / m.texture).loaded) << m.texture;
    }
}

TEST(ResourceTree, EveryListedTextureLoadsAndIsUsed) {
    std::set<std::string> used = {"dudv.png", "normalmap.png"}; // the water pass samples these itself
    for (const std::string& name : loadedModels())
        used.insert(model(name).texture);
    for (const std::string& name : textureList()) {
        SCOPED_TRACE(name);
        const Picture picture = loadPicture(texturesFolder() / name);
        ASSERT_TRUE(picture.loaded);
        EXPECT_GT(picture.width, 0);
        EXPECT_LE(std::max(picture.width, picture.height), 1024);
        EXPECT_EQ(used.count(name), 1u) << "listed but nothing uses it";
    }
}

TEST(ResourceTree, SkyFacesAreEqualSquare24BitJpegs) {
    int size = 0;
    for (const std::string& face : SkyFaces) {
        SCOPED_TRACE(face);
        const Picture picture = loadPicture(texturesFolder() / face);
        ASSERT_TRUE(picture.loaded);
        EXPECT_EQ(picture.format, FIF_JPEG);
        EXPECT_EQ(picture.bitsPerPixel, 24u);
        EXPECT_EQ(picture.width, picture.height);
        if (size == 0)
            size = picture.width;
        EXPECT_EQ(picture.width, size);
    }
}

TEST(ResourceTree, WaterIsAHorizontalSheetExactlyAtWaterHeightReachingThePictureEdge) {
    const Model& water = model("water.dae");
    ASSERT_EQ(water.failure, "");
    glm::vec3 low(1e9f), high(-1e9f);
    for (const glm::vec3& p : placedVertices(water)) {
        uint32_t bits;
        std::memcpy(&bits, &p.y, sizeof bits);
        EXPECT_EQ(bits, WaterHeightBits) << "y = " << p.y;
        low = glm::min(low, p);
        high = glm::max(high, p);
    }
    for (const glm::vec3& n : water.normals)
        EXPECT_GT(n.y, 0.999f);
    // The camera at (0, 5, 12) sees 100 units far in every direction it looks.
    EXPECT_LE(low.x, -100.0f);
    EXPECT_LE(low.z, -100.0f);
    EXPECT_GE(high.x, 100.0f);
    EXPECT_GE(high.z, 100.0f);
}

TEST(ResourceTree, OrbIsAUnitSphereCentredOnItsOriginWithItsHomeAboveThePlaza) {
    const Model& lava = model("lava.dae");
    ASSERT_EQ(lava.failure, "");
    ASSERT_EQ(lava.instances.size(), 1u);
    // The orb scales the sphere about its own origin and takes instance × centre as its home.
    EXPECT_LT(glm::length(lava.centre), 1e-3f);
    for (const glm::vec3& p : lava.positions)
        ASSERT_NEAR(glm::length(p), 1.0f, 0.05f);
    const glm::vec3 home(lava.instances[0] * glm::vec4(lava.centre, 1.0f));
    EXPECT_NEAR(home.x, 0.0f, 1e-4f);
    EXPECT_NEAR(home.z, 0.0f, 1e-4f);
    EXPECT_GE(home.y, 2.2f);
    EXPECT_LE(home.y, 3.2f);
    // The orb sinks towards (0, 0.2, 0): the ground at the centre is there.
    const Model& map = model("map.dae");
    ASSERT_EQ(map.failure, "");
    const std::vector<glm::vec3> ground = placedVertices(map);
    const glm::vec3 middle =
        *std::min_element(ground.begin(), ground.end(), [](const glm::vec3& a, const glm::vec3& b) {
            return glm::length(glm::vec2(a.x, a.z)) < glm::length(glm::vec2(b.x, b.z));
        });
    EXPECT_NEAR(middle.y, 0.2f, 0.1f);
}

TEST(ResourceTree, MeteorIsAUnitRockAndTheParticlePlaneAUnitQuadWithASoftSpark) {
    const Model& meteor = model("meteor.dae");
    EXPECT_LT(glm::length(meteor.centre), 0.05f);
    const auto [low, high] = bounds(meteor);
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_GT(high[axis] - low[axis], 0.6f) << "axis " << axis;
        EXPECT_LT(high[axis] - low[axis], 1.4f) << "axis " << axis;
    }
    const Model& plane = model("plane.obj");
    EXPECT_EQ(plane.indices.size(), 6u);
    const auto [planeLow, planeHigh] = bounds(plane);
    EXPECT_EQ(planeHigh - planeLow, glm::vec3(1.0f, 1.0f, 0.0f));
    const Picture spark = loadPicture(texturesFolder() / plane.texture);
    ASSERT_TRUE(spark.loaded);
    EXPECT_EQ(spark.bitsPerPixel, 32u);
    // Clear at the corners, nearly solid in the middle.
    EXPECT_EQ(spark.texel(0, 0)[3], 0);
    EXPECT_GT(spark.texel(spark.width / 2, spark.height / 2)[3], 200);
}

// In every direction from the centre the ground dips below the water within the part of the map the
// camera sees (less than 8 units out), so water shows in front of and behind the centre whatever the
// spin; and land stands above it.
TEST(ResourceTree, MapHasLandInTheMiddleAndWaterAllAround) {
    const Model& map = model("map.dae");
    ASSERT_EQ(map.failure, "");
    const std::vector<glm::vec3> ground = placedVertices(map);
    EXPECT_TRUE(std::any_of(ground.begin(), ground.end(), [](const glm::vec3& p) { return p.y > 0.5f; }));
    const int sectors = 36;
    std::vector<bool> wet(sectors, false);
    for (const glm::vec3& p : ground) {
        const float r = glm::length(glm::vec2(p.x, p.z));
        if (r < 2.0f || r > 8.0f || p.y >= WaterHeight)
            continue;
        const float angle = std::atan2(p.z, p.x) + 3.14159265f;
        wet[std::min(sectors - 1, static_cast<int>(angle / (2.0f * 3.14159265f) * sectors))] = true;
    }
    for (int s = 0; s < sectors; ++s)
        EXPECT_TRUE(wet[s]) << "no water within 8 units towards " << s * 10 << " degrees";
}

// Every object stays inside the picture while the world turns: the fixed camera at (0, 5, 12) looking
// at the origin, a vertical field of view of 45 radians as the engine passes it (about 58.3 degrees),
// far plane 100, on a 4:3 window (narrower than any usual screen). The orb counts at its largest size.
TEST(ResourceTree, ObjectsStayInViewForTheWholeSpin) {
    const glm::mat4 view = glm::lookAt(glm::vec3(0, 5, 12), glm::vec3(0, 0, 0), glm::vec3(0, 1, 0));
    const glm::mat4 projection = glm::perspective(45.0f, 4.0f / 3.0f, 0.1f, 100.0f);
    std::map<std::string, std::vector<glm::vec3>> objects;
    for (const std::string name : {"house.obj", "bridge.dae", "monkey.dae", "monkey2.dae", "monkey3.dae"})
        objects[name] = placedVertices(model(name));
    const Model& lava = model("lava.dae");
    ASSERT_EQ(lava.failure, "");
    for (const glm::vec3& p : lava.positions)
        objects["lava.dae"].push_back(glm::vec3(lava.instances[0] * glm::vec4(p * 0.525f, 1.0f)));
    for (const auto& [name, vertices] : objects) {
        SCOPED_TRACE(name);
        ASSERT_FALSE(vertices.empty());
        float worst = 0.0f;
        for (int step = 0; step < 72; ++step) {
            const glm::mat4 spin =
                glm::rotate(glm::mat4(1.0f), step * 3.14159265f / 36.0f, glm::vec3(0, 1, 0));
            const glm::mat4 clip = projection * view * spin;
            for (const glm::vec3& p : vertices) {
                const glm::vec4 c = clip * glm::vec4(p, 1.0f);
                worst = std::max({worst, std::abs(c.x) / c.w, std::abs(c.y) / c.w, std::abs(c.z) / c.w});
            }
        }
        EXPECT_LT(worst, 1.0f);
    }
}

// What the tree costs: the engine draws the solid scene about nine times a frame on a software
// rasteriser, and the repository carries every byte.
TEST(ResourceTree, StaysWithinItsBudget) {
    size_t triangles = 0;
    for (const std::string& name : meshList()) {
        const Model& m = model(name);
        ASSERT_EQ(m.failure, "") << name;
        triangles += m.indices.size() / 3 * m.instances.size();
    }
    EXPECT_LT(triangles, 60000u);
    uintmax_t bytes = 0;
    for (const fs::path& folder : {texturesFolder(), meshesFolder()})
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            bytes += entry.file_size();
    EXPECT_LT(bytes, 5u * 1024u * 1024u);
}
