#include "scene/Meteor.h"

#include "SceneTestSupport.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

class MeteorTest : public SceneTest {
  protected:
    Mesh mesh = cpuMesh({glm::mat4(1.0f)}, glm::vec3(0.5f, 0.25f, 0.0f));
};

struct RespawnCase {
    int random;
    float scale;
    glm::vec3 landing;
};

TEST_F(MeteorTest, RespawnSpreadsSizeAndLandingPointOverTheirRanges) {
    const RespawnCase cases[] = {
        {0, 0.1f, {3.0f, 0.0f, -5.0f}},
        {RandomMax, 1.0f, {8.0f, 1.0f, 7.0f}},
    };
    for (const RespawnCase& c : cases) {
        SCOPED_TRACE(c.random);
        ScriptedRandom random({c.random});
        Meteor meteor(&mesh, nullptr);
        meteor.position = glm::vec3(100.0f);

        meteor.respawn();

        EXPECT_EQ(random.drawn(), 8u); // four at construction, four now
        expectNear(meteor.position, glm::vec3(-6.0f, 12.0f, 0.0f));
        expectNear(meteor.currentScale, glm::vec3(c.scale));
        expectNear(meteor.position + meteor.direction, c.landing);
    }
}

TEST_F(MeteorTest, ConstructionDrawsSizeThenXThenYThenZ) {
    ScriptedRandom random({RandomMax, 0, RandomMax, 0});
    Meteor meteor(&mesh, nullptr);

    EXPECT_EQ(random.drawn(), 4u);
    expectNear(meteor.currentScale, glm::vec3(1.0f));
    expectNear(meteor.startPosition + meteor.direction, glm::vec3(3.0f, 1.0f, -5.0f));
}

TEST_F(MeteorTest, CarriesAWhiteLightWithAFiftyUnitShadow) {
    ScriptedRandom random({0});
    Meteor meteor(&mesh, nullptr);

    ASSERT_NE(meteor.light, nullptr);
    expectNear(meteor.light->position, glm::vec3(0.5f, 0.25f, 0.0f));
    expectNear(meteor.light->color, glm::vec3(1.0f));
    EXPECT_FLOAT_EQ(meteor.light->shadowCamera.projection[3][2], -0.020004001f); // far plane 50
}

TEST_F(MeteorTest, WhileTheOrbIsActiveOnlyTheSpinAdvances) {
    ScriptedRandom random({0});
    Meteor meteor(&mesh, nullptr);

    meteor.update(1.0f);

    EXPECT_FLOAT_EQ(meteor.spinAngle, 0.2f);
    EXPECT_TRUE(meteor.instances.empty());
    expectNear(meteor.position, meteor.startPosition);
    EXPECT_EQ(meteor.activeTime, 0.0f);
    EXPECT_EQ(random.drawn(), 4u);
}

TEST_F(MeteorTest, AFallingFrameDrawsThePositionBeforeTheStepAndLightsTheOneAfter) {
    ScriptedRandom random({0}); // scale 0.1, direction (9, -12, -5)
    Meteor meteor(&mesh, nullptr);
    appState().effectPhase = 1;

    meteor.update(0.5f);

    const glm::mat4 turn = glm::rotate(glm::mat4(1.0f), 0.1f, glm::vec3(0.0f, 1.0f, 0.0f));
    ASSERT_EQ(meteor.instances.size(), 1u);
    expectNear(translationOf(meteor.instances[0]), glm::vec3(turn * glm::vec4(-6.0f, 12.0f, 0.0f, 1.0f)));
    EXPECT_NEAR(glm::length(glm::vec3(meteor.instances[0][0])), 0.1f, 1e-6f);
    // 0.4 x 0.5 of the way to the landing point.
    const glm::vec3 stepped(-6.0f + 1.8f, 12.0f - 2.4f, -1.0f);
    expectNear(meteor.position, stepped);
    expectNear(meteor.light->position, glm::vec3(turn * glm::vec4(stepped, 1.0f)));
    EXPECT_EQ(meteor.activeTime, 0.5f);
}

TEST_F(MeteorTest, TheLandingFrameDrawsTheMeteorUnscaledWhereItLandedAndLightsTheNextStart) {
    ScriptedRandom random({0});
    Meteor meteor(&mesh, nullptr);
    appState().effectPhase = 1;
    const glm::vec3 landed(3.0f, 0.1f, -5.0f); // not above its own size of 0.1
    meteor.position = landed;

    meteor.update(0.0f);

    EXPECT_EQ(random.drawn(), 8u);
    ASSERT_EQ(meteor.instances.size(), 1u);
    expectNear(meteor.instances[0], glm::translate(glm::mat4(1.0f), landed));
    expectNear(meteor.position, meteor.startPosition);
    expectNear(meteor.light->position, meteor.startPosition);
    EXPECT_EQ(appState().effectPhase, 1);
}

TEST_F(MeteorTest, HandsBackAtTheFirstLandingAfterFifteenSeconds) {
    struct Case {
        float activeTime;
        int phase;
        float activeTimeAfter;
    };
    const Case cases[] = {{14.9f, 1, 14.91f}, {15.1f, 0, 0.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.activeTime);
        ScriptedRandom random({0});
        Meteor meteor(&mesh, nullptr);
        appState().effectPhase = 1;
        meteor.activeTime = c.activeTime;
        meteor.position.y = 0.05f;

        meteor.update(0.01f);

        EXPECT_EQ(appState().effectPhase, c.phase);
        EXPECT_NEAR(meteor.activeTime, c.activeTimeAfter, 1e-5f);
    }
}

TEST_F(MeteorTest, AFullFallTakesTwoAndAHalfSecondsAtTheStartSpeed) {
    ScriptedRandom random({0}); // lands at height 0, falling 12 units
    Meteor meteor(&mesh, nullptr);
    appState().effectPhase = 1;
    int frames = 0;
    while (random.drawn() == 4u && frames < 1000) {
        meteor.update(1.0f / 64.0f);
        ++frames;
    }
    // Above its size of 0.1 until 99.2 % of the way: 159 falling frames, then the landing frame.
    EXPECT_EQ(frames, 160);
}

} // namespace
