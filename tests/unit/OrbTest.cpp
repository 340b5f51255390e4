#include "scene/Orb.h"

#include "SceneTestSupport.h"
#include "scene/ParticleEmitter.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

// 1/64 s is exact in binary, so phaseTime lands exactly on the stage boundaries.
constexpr float Frame = 1.0f / 64.0f;

class OrbTest : public SceneTest {
  protected:
    OrbTest()
        : mesh(cpuMesh({glm::translate(glm::mat4(1.0f), glm::vec3(2.0f, 3.0f, 4.0f)),
                        glm::translate(glm::mat4(1.0f), glm::vec3(-50.0f, 0.0f, 0.0f))},
                       glm::vec3(0.0f, 1.0f, 0.0f))),
          plane(cpuMesh({glm::mat4(1.0f)})), emitter(&plane, 100, 20, 1.0f), orb(&mesh, &emitter) {}

    // Runs frames until phaseTime reaches `seconds`.
    void runUntil(float seconds) {
        while (orb.phaseTime + Frame <= seconds && appState().effectPhase == 0)
            orb.update(Frame);
    }

    ScriptedRandom random{{0}}; // every particle flies along +z
    Mesh mesh;
    Mesh plane;
    ParticleEmitter emitter;
    Orb orb;
};

TEST_F(OrbTest, StartsAtTheCentreOfItsFirstInstanceWithABlackLight) {
    expectNear(orb.homePosition, glm::vec3(2.0f, 4.0f, 4.0f));
    expectNear(orb.position, orb.homePosition);
    expectNear(orb.worldPosition, orb.homePosition);
    expectNear(orb.fallVector, glm::vec3(-2.0f, -3.8f, -4.0f));
    EXPECT_FLOAT_EQ(orb.currentScale, 0.01f);
    ASSERT_NE(orb.light, nullptr);
    // The light starts at the model's centre, before the instance transform moves it.
    expectNear(orb.light->position, glm::vec3(0.0f, 1.0f, 0.0f));
    expectNear(orb.light->color, glm::vec3(0.0f));
    EXPECT_EQ(orb.light->constant, 1.0f);
    EXPECT_EQ(orb.light->linear, 0.0f);
    EXPECT_EQ(orb.light->quadratic, 0.0f);
    // With a 90-degree square frustum, this one element fixes the shadow's near (0.01) and far (25) planes.
    EXPECT_FLOAT_EQ(orb.light->shadowCamera.projection[3][2], -0.020008003f);
    EXPECT_FLOAT_EQ(orb.light->shadowCamera.projection[0][0], 1.0f);
}

TEST_F(OrbTest, RestsTenSecondsThenGrowsForFive) {
    runUntil(10.0f - Frame);
    EXPECT_EQ(orb.currentScale, 0.01f);
    orb.update(Frame); // t = 10: the first growing frame
    EXPECT_GT(orb.currentScale, 0.01f);

    runUntil(15.0f - Frame);
    const float grown = orb.currentScale;
    EXPECT_NEAR(grown, 0.524f, 1e-4f);
    runUntil(20.0f - Frame);
    EXPECT_EQ(orb.currentScale, grown);
    ASSERT_EQ(orb.instances.size(), 1u);
    // Resting and growing draw the first instance only, scaled about its own origin.
    expectNear(orb.instances[0], orb.model * glm::scale(mesh.instanceTransforms[0], glm::vec3(grown)));
}

TEST_F(OrbTest, LightStaysBlackUntilTwentySecondsThenTurnsRed) {
    while (orb.phaseTime + Frame < 20.0f) {
        orb.update(Frame);
        ASSERT_EQ(orb.light->color, glm::vec3(0.0f)) << "at " << orb.phaseTime;
    }
    orb.update(Frame); // t = 20
    EXPECT_GT(orb.light->color.r, 0.0f);

    runUntil(25.0f - Frame);
    expectNear(orb.light->color, glm::vec3(0.869125f, 0.166f, 0.166f), 1e-4f);
    expectNear(orb.light->position, orb.worldPosition);
}

TEST_F(OrbTest, GlowingThrowsOneParticleEveryFourthFrameFromTheLight) {
    runUntil(20.0f - Frame);
    for (int frame = 0; frame < 3; ++frame)
        orb.update(Frame); // credit 0.3125 a frame: not yet above 1
    EXPECT_TRUE(emitter.particles.empty());

    orb.update(Frame);

    ASSERT_EQ(emitter.particles.size(), 1u);
    EXPECT_EQ(emitter.spawnAccumulator, 0.0f);
    expectNear(emitter.particles[0].position, orb.worldPosition + glm::vec3(0.0f, 0.0f, Frame));
    ASSERT_EQ(emitter.instances.size(), 1u);
    EXPECT_FLOAT_EQ(emitter.instances[0][0][0], 0.125f);
}

TEST_F(OrbTest, SinksToPointThreeThenResetsAndHandsOver) {
    runUntil(25.0f - Frame);
    const float scale = orb.currentScale;
    ASSERT_FALSE(emitter.particles.empty());
    float lastHeight = orb.position.y;
    int frames = 0;
    while (appState().effectPhase == 0 && frames < 10000) {
        lastHeight = orb.position.y;
        orb.update(Frame);
        ++frames;
    }

    ASSERT_EQ(appState().effectPhase, 1);
    // 3.7 units at 3.8 x 0.4 units per second: 156 frames of 1/64 s.
    EXPECT_EQ(frames, 156);
    // The hand-over frame still shows the sunk orb, scaled, with the red light on it.
    const float sunk = lastHeight - 3.8f * 0.4f * Frame;
    EXPECT_LE(sunk, 0.3f);
    ASSERT_EQ(orb.instances.size(), 1u);
    EXPECT_NEAR(translationOf(orb.instances[0]).y, sunk, 1e-4f);
    EXPECT_NEAR(glm::length(glm::vec3(orb.instances[0][0])), scale, 1e-6f);
    EXPECT_NEAR(orb.light->position.y, sunk, 1e-4f);
    EXPECT_GT(orb.light->color.r, 0.8f);
    // ... while the orb itself is back at the start.
    EXPECT_EQ(orb.phaseTime, 0.0f);
    EXPECT_EQ(orb.currentScale, 0.01f);
    expectNear(orb.position, orb.homePosition);
    expectNear(orb.glow, glm::vec3(0.0f));
    EXPECT_TRUE(emitter.particles.empty());
    EXPECT_TRUE(emitter.instances.empty());
    EXPECT_EQ(emitter.liveCount, 0);
}

TEST_F(OrbTest, WhileTheMeteorIsActiveOnlyTheSpinAdvances) {
    orb.update(Frame);
    const std::vector<glm::mat4> instances = orb.instances;
    const glm::vec3 lightPosition = orb.light->position;
    appState().effectPhase = 1;

    orb.update(1.0f);

    EXPECT_FLOAT_EQ(orb.spinAngle, 0.2f * (1.0f + Frame));
    EXPECT_EQ(orb.phaseTime, Frame);
    EXPECT_EQ(orb.instances, instances);
    EXPECT_EQ(orb.light->position, lightPosition);
    EXPECT_EQ(appState().effectPhase, 1);
}

} // namespace
