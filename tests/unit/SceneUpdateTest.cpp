#include "scene/SceneUpdate.h"

#include "SceneTestSupport.h"
#include "render/Skybox.h"
#include "scene/Meteor.h"
#include "scene/Orb.h"
#include "scene/Scene.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

glm::mat4 at(float x, float y, float z) {
    return glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z));
}

// A small world built by hand: the orb's home is (0, 3, 0), the meteor starts at (-6, 12, 0).
class SceneUpdateTest : public SceneTest {
  protected:
    SceneUpdateTest() {
        scene.emitter = std::make_unique<ParticleEmitter>(&plane, 100, 20, 1.0f);
        scene.effects.push_back(std::make_unique<Orb>(&lava, scene.emitter.get()));
        scene.effects.push_back(std::make_unique<Meteor>(&rock, scene.emitter.get()));
        scene.drawList = {nullptr, new SceneObject(&houseMesh), nullptr, new SceneObject(&monkeyMesh)};
        scene.waterSurfaces.emplace_back(&water);
        scene.camera = Camera(glm::vec3(0.0f, 5.0f, 12.0f), 16.0f / 9.0f);
        scene.skybox = &sky;
    }
    ~SceneUpdateTest() override { scene.skybox = nullptr; } // the sky record is the test's

    Orb& orb() { return static_cast<Orb&>(*scene.effects[0]); }
    Meteor& meteor() { return static_cast<Meteor&>(*scene.effects[1]); }
    SceneObject& house() { return *scene.drawList[1]; }
    SceneObject& monkey() { return *scene.drawList[3]; }

    void update(float dt) { updateScene(scene, dt); }

    ScriptedRandom random{{0}};
    Mesh plane = cpuMesh({glm::mat4(1.0f)});
    Mesh lava = cpuMesh({at(0.0f, 2.0f, 0.0f)}, glm::vec3(0.0f, 1.0f, 0.0f));
    Mesh rock = cpuMesh({glm::mat4(1.0f)});
    Mesh houseMesh = cpuMesh({at(1.0f, 0.0f, 0.0f), at(0.0f, 0.0f, 4.0f)});
    Mesh monkeyMesh = cpuMesh({at(2.0f, 1.0f, 0.0f)});
    Mesh water = cpuMesh({at(5.0f, -0.66558f, 0.0f), at(-5.0f, -0.66558f, 0.0f)});
    Skybox sky;
    Scene scene; // last, so that it goes before the meshes it borrows
};

TEST_F(SceneUpdateTest, TheFirstUpdateMakesTheOrbTheHeadAndItsLightCurrent) {
    ASSERT_EQ(scene.drawList[0], nullptr);

    update(0.02f);

    EXPECT_EQ(scene.drawList[0], &orb());
    EXPECT_EQ(scene.currentLight, orb().light.get());
    EXPECT_EQ(orb().instances.size(), 1u);
    EXPECT_EQ(house().instances.size(), 2u);
    EXPECT_EQ(monkey().instances.size(), 1u);
    // The refreshed camera looks from (0, 5, 12) at the origin, 13 units ahead.
    expectNear(glm::vec3(scene.camera.view * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f)),
               glm::vec3(0.0f, 0.0f, -13.0f), 1e-4f);
}

TEST_F(SceneUpdateTest, ALockedCameraKeepsItsViewWhileTheWorldMoves) {
    const glm::mat4 frozen = at(1.0f, 2.0f, 3.0f);
    scene.camera.view = frozen;
    appState().cameraLocked = true;

    update(1.0f);

    EXPECT_EQ(scene.camera.view, frozen);
    EXPECT_FLOAT_EQ(house().spinAngle, 0.2f);
}

TEST_F(SceneUpdateTest, AFirstFrameFiveSecondsLateTurnsEverythingByOneRadian) {
    update(5.0f);

    const SceneObject* objects[] = {&orb(), &meteor(), &house(), &monkey()};
    for (const SceneObject* object : objects)
        EXPECT_FLOAT_EQ(object->spinAngle, 1.0f);
    EXPECT_FLOAT_EQ(sky.rotationAngle, 1.0f);
    expectNear(sky.model, glm::rotate(glm::mat4(1.0f), 1.0f, glm::vec3(0.0f, 1.0f, 0.0f)));
    EXPECT_FLOAT_EQ(orb().phaseTime, 5.0f);
    EXPECT_EQ(orb().currentScale, 0.01f);
    // The inactive meteor only turns.
    EXPECT_TRUE(meteor().instances.empty());
    EXPECT_EQ(meteor().activeTime, 0.0f);
}

TEST_F(SceneUpdateTest, TheWaterTakesItsModelsPlacesUnturned) {
    update(3.0f);

    ASSERT_EQ(scene.waterSurfaces.size(), 1u);
    EXPECT_EQ(scene.waterSurfaces[0].instances, water.instanceTransforms);
}

TEST_F(SceneUpdateTest, OnTheOrbsHandOverFrameItSpinsTwiceAndTheMeteorWaits) {
    orb().phaseTime = 26.0f; // sinking
    orb().position.y = 0.31f;
    const glm::vec3 meteorStart = meteor().position;

    update(0.1f); // 2.8 x 0.4 x 0.1 below 0.3

    EXPECT_EQ(appState().effectPhase, 1);
    EXPECT_EQ(orb().phaseTime, 0.0f);
    expectNear(orb().position, orb().homePosition);
    EXPECT_FLOAT_EQ(orb().spinAngle, 0.04f);
    EXPECT_EQ(meteor().spinAngle, 0.0f);
    EXPECT_TRUE(meteor().instances.empty());
    EXPECT_EQ(meteor().position, meteorStart);
    // This frame still renders the orb with its light.
    EXPECT_EQ(scene.drawList[0], &orb());
    EXPECT_EQ(scene.currentLight, orb().light.get());

    update(0.1f);

    EXPECT_EQ(scene.drawList[0], &meteor());
    EXPECT_EQ(scene.currentLight, meteor().light.get());
    EXPECT_FLOAT_EQ(meteor().spinAngle, 0.02f);
    EXPECT_FLOAT_EQ(orb().spinAngle, 0.06f);
    EXPECT_EQ(meteor().instances.size(), 1u);
}

TEST_F(SceneUpdateTest, OnTheMeteorsHandBackFrameItSpinsTwiceAndTheOrbWaits) {
    appState().effectPhase = 1;
    meteor().activeTime = 15.5f;
    meteor().position.y = 0.0f; // landed

    update(0.1f);

    EXPECT_EQ(appState().effectPhase, 0);
    EXPECT_EQ(meteor().activeTime, 0.0f);
    EXPECT_FLOAT_EQ(meteor().spinAngle, 0.04f);
    EXPECT_EQ(orb().spinAngle, 0.0f);
    EXPECT_EQ(orb().phaseTime, 0.0f);
    EXPECT_EQ(scene.currentLight, meteor().light.get());
}

TEST_F(SceneUpdateTest, AZeroStepMovesNothingButRebuildsTheFrame) {
    update(0.0f);
    scene.drawList[0] = nullptr;
    scene.currentLight = nullptr;
    house().instances.clear();
    orb().instances.clear();
    const glm::vec3 orbPosition = orb().worldPosition;

    update(0.0f);

    EXPECT_EQ(scene.drawList[0], &orb());
    EXPECT_EQ(scene.currentLight, orb().light.get());
    EXPECT_EQ(house().instances, houseMesh.instanceTransforms);
    EXPECT_EQ(orb().instances.size(), 1u);
    EXPECT_EQ(orb().worldPosition, orbPosition);
    EXPECT_EQ(orb().phaseTime, 0.0f);
    EXPECT_EQ(house().spinAngle, 0.0f);
    EXPECT_EQ(appState().effectPhase, 0);
}

} // namespace
