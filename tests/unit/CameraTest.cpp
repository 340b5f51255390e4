#include "scene/Camera.h"

#include "scene/Transform.h"

#include <cstring>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_access.hpp>
#include <gtest/gtest.h>

namespace {

constexpr float Tolerance = 1e-5f;

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = Tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expectNear(const glm::mat4& actual, const glm::mat4& expected, float tolerance = Tolerance) {
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], tolerance) << "column " << c << ", row " << r;
}

template <typename T> bool sameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

glm::vec3 mirrorPoint(const glm::vec3& p, float height) {
    return {p.x, 2.0f * height - p.y, p.z};
}

Camera mainCamera(float aspect = 1280.0f / 720.0f) {
    Camera camera(glm::vec3(0.0f, 5.0f, 12.0f), aspect);
    camera.refreshView();
    return camera;
}

constexpr float WaterHeight = -0.66558f;

} // namespace

// The engine assumes GLM's defaults: right-handed, clip depth -1 to 1, radians, A * B applies B first.
// A build flag such as GLM_FORCE_LEFT_HANDED or GLM_FORCE_DEPTH_ZERO_TO_ONE would break these.
TEST(TransformConventions, GlmBehavesAsTheEngineAssumes) {
    const glm::mat4 identity(1.0f);
    const glm::mat4 quarterTurn = glm::rotate(identity, glm::half_pi<float>(), glm::vec3(0.0f, 1.0f, 0.0f));
    expectNear(transformPoint(quarterTurn, {1.0f, 0.0f, 0.0f}), {0.0f, 0.0f, -1.0f});
    const glm::mat4 moved = glm::translate(identity, glm::vec3(1.0f, 2.0f, 3.0f));
    expectNear(transformDirection(moved, {0.0f, 0.0f, 1.0f}), {0.0f, 0.0f, 1.0f});
    expectNear(transformPoint(moved * glm::scale(identity, glm::vec3(2.0f)), {1.0f, 1.0f, 1.0f}),
               {3.0f, 4.0f, 5.0f});
    EXPECT_NEAR(glm::perspective(glm::half_pi<float>(), 1.0f, 0.01f, 50.0f)[3][2], -0.020004001f, Tolerance);
    EXPECT_NEAR(90.0f * DegreesToRadians, glm::half_pi<float>(), Tolerance);
}

TEST(Camera, MainCameraStartsWithItsLensAndAnIdentityView) {
    const Camera camera(glm::vec3(0.0f, 5.0f, 12.0f), 1280.0f / 720.0f);
    EXPECT_EQ(camera.up, glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(camera.view, glm::mat4(1.0f));

    // 45 goes to the perspective as radians: tan(22.5) = 0.5578517, not tan(22.5 degrees).
    glm::mat4 expected(0.0f);
    expected[0][0] = 1.0083325f;
    expected[1][1] = 1.7925910f;
    expected[2][2] = -1.0020020f;
    expected[2][3] = -1.0f;
    expected[3][2] = -0.2002002f;
    expectNear(camera.projection, expected);
}

TEST(Camera, RefreshedViewLooksFromTheStartPositionAtTheOrigin) {
    const Camera camera = mainCamera();
    expectNear(transformPoint(camera.view, glm::vec3(0.0f, 5.0f, 12.0f)), glm::vec3(0.0f));
    expectNear(transformPoint(camera.view, glm::vec3(0.0f)), {0.0f, 0.0f, -13.0f});
    // World up stays up on screen: a point above the origin is above the image centre.
    EXPECT_GT(transformPoint(camera.view, {0.0f, 1.0f, 0.0f}).y, 0.0f);
    expectNear(camera.view, glm::lookAt(camera.position, glm::vec3(0.0f), camera.up));
}

TEST(Camera, MirroredViewSeesTheWorldReflectedAtTheWaterPlane) {
    const Camera original = mainCamera();
    Camera mirrored = original;
    mirrored.mirrorView(WaterHeight);

    const glm::vec3 eye = transformPoint(glm::inverse(mirrored.view), glm::vec3(0.0f));
    expectNear(eye, {0.0f, -6.33116f, 12.0f}, 1e-4f);
    // The original looks down at the origin, the mirrored camera up at it.
    const glm::vec3 forwardBefore = -glm::vec3(glm::row(original.view, 2));
    const glm::vec3 forwardAfter = -glm::vec3(glm::row(mirrored.view, 2));
    EXPECT_LT(forwardBefore.y, 0.0f);
    EXPECT_GT(forwardAfter.y, 0.0f);

    // What the real camera sees at p, the mirrored one sees at p's reflection, upside down: it stands
    // upright below the water and looks up, so the mirror image lands where the water stage expects it.
    for (const glm::vec3 p : {glm::vec3(0.0f), glm::vec3(3.0f, 1.0f, -2.0f), glm::vec3(-4.0f, 7.5f, 5.0f)}) {
        const glm::vec3 seen = transformPoint(original.view, p);
        expectNear(transformPoint(mirrored.view, mirrorPoint(p, WaterHeight)), {seen.x, -seen.y, seen.z},
                   1e-4f);
    }
}

TEST(Camera, MirrorThenRestoreLeavesTheCameraBitForBit) {
    const Camera original = mainCamera();
    Camera camera = original;
    camera.mirrorView(WaterHeight);
    EXPECT_FALSE(sameBits(camera.view, original.view));
    // Only the view may change: the water stage relies on writing it back being enough.
    camera.view = original.view;
    EXPECT_TRUE(sameBits(camera, original));
    camera.refreshView();
    EXPECT_TRUE(sameBits(camera.view, original.view));
}
