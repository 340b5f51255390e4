#include "scene/ParticleEmitter.h"

#include "SceneTestSupport.h"

namespace {

class ParticleEmitterTest : public SceneTest {
  protected:
    Mesh plane = cpuMesh({glm::mat4(1.0f)});
    ParticleEmitter emitter{&plane, 100, 20, 1.0f};
};

TEST_F(ParticleEmitterTest, SpawnAddsOneLiveParticleAtThePointAndDropsTheCredit) {
    ScriptedRandom random({0});
    emitter.spawnAccumulator = 1.7f;

    emitter.spawn(glm::vec3(1.0f, 2.0f, 3.0f));

    ASSERT_EQ(emitter.particles.size(), 1u);
    EXPECT_EQ(emitter.liveCount, 1);
    EXPECT_EQ(emitter.spawnAccumulator, 0.0f);
    EXPECT_EQ(emitter.particles[0].position, glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(emitter.particles[0].life, 1.0f);
    EXPECT_EQ(random.drawn(), 2u);
}

TEST_F(ParticleEmitterTest, AFullEmitterSpawnsNothingAndKeepsItsCredit) {
    ScriptedRandom random({0});
    emitter.liveCount = 100;
    emitter.spawnAccumulator = 1.25f;

    emitter.spawn(glm::vec3(0.0f));

    EXPECT_TRUE(emitter.particles.empty());
    EXPECT_EQ(emitter.liveCount, 100);
    EXPECT_EQ(emitter.spawnAccumulator, 1.25f);
    EXPECT_EQ(random.drawn(), 0u);
}

TEST_F(ParticleEmitterTest, TwoRandomAnglesGiveAUnitDirection) {
    struct Case {
        int theta;
        int phi;
        glm::vec3 direction;
    };
    const Case cases[] = {
        {0, 0, {0.0f, 0.0f, 1.0f}},
        {8192, 0, {1.0f, 0.0f, 0.0f}}, // theta about 90 degrees
        {8192, 8192, {0.0f, 1.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.theta << ", " << c.phi);
        ScriptedRandom random({c.theta, c.phi});
        ParticleEmitter fresh(&plane, 100, 20, 1.0f);
        fresh.spawn(glm::vec3(0.0f));
        expectNear(fresh.particles[0].direction, c.direction, 1e-3f);
        EXPECT_NEAR(glm::length(fresh.particles[0].direction), 1.0f, 1e-6f);
    }
}

TEST_F(ParticleEmitterTest, AdvanceMovesLiveParticlesOneUnitPerSecondAndScalesTheirInstances) {
    ScriptedRandom random({0}); // along +z
    emitter.spawn(glm::vec3(1.0f, 2.0f, 3.0f));

    emitter.advance(0.25f, 0.5f);

    EXPECT_EQ(emitter.particles[0].life, 0.75f);
    ASSERT_EQ(emitter.instances.size(), 1u);
    const glm::mat4& m = emitter.instances[0];
    expectNear(translationOf(m), glm::vec3(1.0f, 2.0f, 3.25f));
    EXPECT_EQ(m[0][0], 0.5f);
    EXPECT_EQ(m[1][1], 0.5f);
    EXPECT_EQ(m[2][2], 0.5f);
}

TEST_F(ParticleEmitterTest, AParticleWithExactlyNoLifeLeftIsStillDrawn) {
    ScriptedRandom random({0});
    emitter.spawn(glm::vec3(0.0f));

    emitter.advance(1.0f, 1.0f);

    EXPECT_EQ(emitter.particles[0].life, 0.0f);
    EXPECT_EQ(emitter.liveCount, 1);
    ASSERT_EQ(emitter.instances.size(), 1u);
    expectNear(translationOf(emitter.instances[0]), glm::vec3(0.0f, 0.0f, 1.0f));
}

TEST_F(ParticleEmitterTest, ADeadParticleLeavesTheCountOnceAndStaysUntilCleared) {
    ScriptedRandom random({0});
    emitter.spawn(glm::vec3(0.0f));
    emitter.advance(0.5f, 1.0f);
    emitter.spawn(glm::vec3(5.0f)); // younger, behind the first in the list
    ASSERT_EQ(emitter.liveCount, 2);

    emitter.advance(0.75f, 1.0f); // the first dies
    EXPECT_EQ(emitter.liveCount, 1);
    ASSERT_EQ(emitter.instances.size(), 1u);
    expectNear(translationOf(emitter.instances[0]), glm::vec3(5.0f, 5.0f, 5.75f));

    emitter.advance(0.125f, 1.0f);
    emitter.advance(0.5f, 1.0f); // the second dies; the first must not count again
    EXPECT_EQ(emitter.liveCount, 0);
    EXPECT_TRUE(emitter.instances.empty());
    EXPECT_EQ(emitter.particles.size(), 2u);
}

TEST_F(ParticleEmitterTest, ClearEmptiesEverythingButTheCredit) {
    ScriptedRandom random({0});
    emitter.spawn(glm::vec3(0.0f));
    emitter.spawn(glm::vec3(1.0f));
    emitter.advance(0.1f, 1.0f);
    emitter.spawnAccumulator = 0.6f;

    emitter.clear();

    EXPECT_TRUE(emitter.particles.empty());
    EXPECT_TRUE(emitter.instances.empty());
    EXPECT_EQ(emitter.liveCount, 0);
    EXPECT_EQ(emitter.spawnAccumulator, 0.6f);
}

TEST_F(ParticleEmitterTest, DrawingNoParticlesTouchesNoOpenGlState) {
    // No GL context exists here: a draw that reached OpenGL would crash.
    emitter.draw(0);
    SUCCEED();
}

} // namespace
