// The two effect objects and the particles, driven frame by frame without OpenGL.
#include "SceneTestSupport.h"
#include "render/WaterSurface.h"
#include "scene/Meteor.h"
#include "scene/Orb.h"
#include "scene/ParticleEmitter.h"

namespace {

// 1/64 s is exact in binary, so the orb's phase time lands exactly on its stage boundaries.
constexpr float Frame = 1.0f / 64.0f;

class OrbTest : public SceneTest {
  protected:
    // Runs frames until the phase time reaches `seconds` or the orb hands over.
    void runUntil(float seconds) {
        while (orb.phaseTime + Frame <= seconds && appState().effectPhase == 0)
            orb.update(Frame);
    }

    ScriptedRandom random{{0}}; // every particle flies along +z
    Mesh mesh = cpuMesh({at(2.0f, 3.0f, 4.0f), at(-50.0f, 0.0f, 0.0f)}, glm::vec3(0.0f, 1.0f, 0.0f));
    Mesh plane = cpuMesh({glm::mat4(1.0f)});
    ParticleEmitter emitter{&plane, 100, 20, 1.0f};
    Orb orb{&mesh, &emitter};
};

// One whole cycle: rest ten seconds, grow five, rest five, glow red five while throwing particles, sink to
// 0.3 at 0.4 x 3.8 units per second, then reset and hand the light over on the frame it gets there.
TEST_F(OrbTest, RestsGrowsGlowsSinksAndHandsOver) {
    expectNear(orb.homePosition, glm::vec3(2.0f, 4.0f, 4.0f)); // the centre in its first instance
    runUntil(10.0f - Frame);
    EXPECT_EQ(orb.currentScale, 0.01f);
    runUntil(20.0f - Frame);
    EXPECT_NEAR(orb.currentScale, 0.524f, 1e-4f);
    EXPECT_EQ(orb.light->color, glm::vec3(0.0f));
    EXPECT_TRUE(emitter.particles.empty());
    ASSERT_EQ(orb.instances.size(), 1u);
    EXPECT_NEAR(glm::length(glm::vec3(orb.instances[0][0])), orb.currentScale, 1e-6f);

    runUntil(20.0f + 2 * Frame); // a spawn credit of 0.3125 a frame passes 1 on the fourth glowing frame
    EXPECT_TRUE(emitter.particles.empty());
    runUntil(20.0f + 3 * Frame);
    ASSERT_EQ(emitter.particles.size(), 1u);
    expectNear(emitter.particles[0].position, orb.worldPosition + glm::vec3(0.0f, 0.0f, Frame));
    EXPECT_FLOAT_EQ(glm::length(glm::vec3(emitter.instances.at(0)[0])), 0.125f);

    runUntil(25.0f - Frame);
    expectNear(orb.light->color, glm::vec3(0.869125f, 0.166f, 0.166f), 1e-4f);
    expectNear(orb.light->position, orb.worldPosition);
    const float grown = orb.currentScale;
    float lastHeight = orb.position.y;
    int sinking = 0;
    for (; appState().effectPhase == 0 && sinking < 10000; ++sinking) {
        lastHeight = orb.position.y;
        orb.update(Frame);
    }
    EXPECT_EQ(sinking, 156); // 3.7 units at 1.52 units per second
    // The hand-over frame still shows the sunk orb with its light; the orb itself is back at the start.
    const float sunk = lastHeight - 3.8f * 0.4f * Frame;
    EXPECT_LE(sunk, 0.3f);
    EXPECT_NEAR(translationOf(orb.instances.at(0)).y, sunk, 1e-4f);
    EXPECT_NEAR(glm::length(glm::vec3(orb.instances[0][0])), grown, 1e-6f);
    EXPECT_NEAR(orb.light->position.y, sunk, 1e-4f);
    EXPECT_EQ(orb.phaseTime, 0.0f);
    EXPECT_EQ(orb.currentScale, 0.01f);
    expectNear(orb.position, orb.homePosition);
    EXPECT_TRUE(emitter.particles.empty());
    EXPECT_EQ(emitter.liveCount, 0);
    appState().effectPhase = 0; // the meteor hands back: the second cycle starts dark, as the first did
    orb.update(Frame);
    EXPECT_EQ(orb.light->color, glm::vec3(0.0f));
}

class MeteorTest : public SceneTest {
  protected:
    Mesh mesh = cpuMesh({glm::mat4(1.0f)}, glm::vec3(0.5f, 0.25f, 0.0f));
};

// Size, then x, y and z of the landing point, each spread over its whole range.
TEST_F(MeteorTest, EachFallDrawsSizeAndLandingPointFromTheirRanges) {
    const std::pair<std::vector<int>, std::pair<float, glm::vec3>> cases[] = {
        {{0}, {0.1f, {3.0f, 0.0f, -5.0f}}},
        {{RandomMax}, {1.0f, {8.0f, 1.0f, 7.0f}}},
        {{RandomMax, 0, RandomMax, 0}, {1.0f, {3.0f, 1.0f, -5.0f}}},
    };
    for (const auto& [numbers, expected] : cases) {
        ScriptedRandom random(numbers);
        Meteor meteor(&mesh, nullptr);
        EXPECT_EQ(random.drawn(), 4u);
        expectNear(meteor.currentScale, glm::vec3(expected.first));
        expectNear(meteor.startPosition + meteor.direction, expected.second);
        expectNear(meteor.light->color, glm::vec3(1.0f));
    }
}

// A falling frame draws the meteor where it was before the step and puts the light where it is after it.
TEST_F(MeteorTest, FallsAtTheSpeedFactorWithItsLightAheadOfIt) {
    ScriptedRandom random({0}); // size 0.1, lands at (3, 0, -5): direction (9, -12, -5)
    Meteor meteor(&mesh, nullptr);
    appState().effectPhase = 1;
    meteor.update(0.5f);
    const glm::mat4 turn = glm::rotate(glm::mat4(1.0f), 0.1f, glm::vec3(0.0f, 1.0f, 0.0f));
    expectNear(translationOf(meteor.instances.at(0)), glm::vec3(turn * glm::vec4(-6.0f, 12.0f, 0.0f, 1.0f)));
    const glm::vec3 stepped(-6.0f + 1.8f, 12.0f - 2.4f, -1.0f); // 0.4 x 0.5 of the way
    expectNear(meteor.light->position, glm::vec3(turn * glm::vec4(stepped, 1.0f)));
}

TEST(ParticleEmitter, SpawnsOneAtATimeUpToItsLimitAndCountsTheDeadOnce) {
    ScriptedRandom random({0}); // both angles 0: straight along +z at one unit per second
    Mesh plane = cpuMesh({glm::mat4(1.0f)});
    ParticleEmitter emitter(&plane, 2, 20, 1.0f);
    emitter.spawnAccumulator = 2.5f;
    emitter.spawn(glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(emitter.spawnAccumulator, 0.0f) << "the rest of the credit is dropped";
    ASSERT_EQ(emitter.particles.size(), 1u);
    expectNear(emitter.particles[0].direction, glm::vec3(0.0f, 0.0f, 1.0f));

    emitter.advance(0.25f, 0.5f);
    expectNear(translationOf(emitter.instances.at(0)), glm::vec3(1.0f, 2.0f, 3.25f));
    EXPECT_FLOAT_EQ(emitter.instances[0][0][0], 0.5f);
    emitter.spawn(glm::vec3(0.0f));
    emitter.spawnAccumulator = 1.5f;
    emitter.spawn(glm::vec3(0.0f)); // full: the credit stays for the next frame
    EXPECT_EQ(emitter.liveCount, 2);
    EXPECT_EQ(emitter.spawnAccumulator, 1.5f);

    emitter.advance(0.75f, 0.5f); // the first has exactly no life left: still drawn
    EXPECT_EQ(emitter.instances.size(), 2u);
    emitter.advance(0.125f, 0.5f);
    EXPECT_EQ(emitter.liveCount, 1);
    emitter.advance(0.125f, 0.5f);
    EXPECT_EQ(emitter.liveCount, 1) << "a dead particle leaves the count only once";
    EXPECT_EQ(emitter.particles.size(), 2u) << "dead particles stay until the emitter is cleared";
    emitter.clear();
    EXPECT_TRUE(emitter.particles.empty() && emitter.instances.empty());
    EXPECT_EQ(emitter.liveCount, 0);
}

TEST(WaterRipple, AdvancesBySpeedTimesStepAndWrapsIntoTheUnitRange) {
    EXPECT_FLOAT_EQ(nextRippleOffset(0.25f, 0.02f, 5.0f), 0.35f);
    EXPECT_NEAR(nextRippleOffset(0.95f, 0.02f, 5.0f), 0.05f, 1e-6f);
    EXPECT_FLOAT_EQ(nextRippleOffset(0.25f, 0.02f, -25.0f), 0.75f);
    // A clock a hair backwards: 1 - 1e-9 rounds to exactly 1 in float, which is the same place as 0.
    EXPECT_EQ(nextRippleOffset(0.0f, 1.0f, -1e-9f), 0.0f);
}

} // namespace
