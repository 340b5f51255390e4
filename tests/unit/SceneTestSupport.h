#pragma once

#include "app/AppState.h"
#include "assets/Mesh.h"
#include "scene/Random.h"

#include <cstddef>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <vector>

// Replaces the random source with a fixed sequence (repeated when it runs out) for its lifetime and
// counts how many numbers were taken.
class ScriptedRandom {
  public:
    explicit ScriptedRandom(std::vector<int> values) {
        script() = std::move(values);
        taken() = 0;
        previous_ = setRandomSource(&next);
    }
    ~ScriptedRandom() { setRandomSource(previous_); }
    ScriptedRandom(const ScriptedRandom&) = delete;
    ScriptedRandom& operator=(const ScriptedRandom&) = delete;

    std::size_t drawn() const { return taken(); }

  private:
    static std::vector<int>& script() {
        static std::vector<int> values;
        return values;
    }
    static std::size_t& taken() {
        static std::size_t count = 0;
        return count;
    }
    static int next() { return script()[taken()++ % script().size()]; }

    RandomSource previous_;
};

// Every test starts and ends with the start values of the process-wide toggles.
class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override { appState() = AppState{}; }
    void TearDown() override { appState() = AppState{}; }
};

// A mesh as the loader leaves it, minus the GPU objects, which updates never touch.
inline Mesh cpuMesh(std::vector<glm::mat4> transforms, glm::vec3 center = glm::vec3(0.0f)) {
    Mesh mesh;
    mesh.center = center;
    mesh.instanceCount = static_cast<int32_t>(transforms.size());
    mesh.instanceTransforms = std::move(transforms);
    return mesh;
}

inline void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-5f) {
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
}

inline glm::mat4 at(float x, float y, float z) {
    return glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z));
}

inline glm::vec3 translationOf(const glm::mat4& m) {
    return glm::vec3(m[3]);
}
