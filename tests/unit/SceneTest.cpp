// The world without OpenGL: the camera, assembling the fixed objects from the mesh table, and the
// per-frame update with the hand-overs between the orb and the meteor.
#include "scene/Scene.h"

#include "SceneTestSupport.h"
#include "assets/ResourceCatalogue.h"
#include "render/Skybox.h"
#include "scene/Meteor.h"
#include "scene/Orb.h"
#include "scene/SceneUpdate.h"
#include "scene/Transform.h"
#include "support/CoutCapture.h"

#include <map>

namespace {

TEST(Camera, LooksAtTheOriginAndItsMirrorImageSeesTheReflectionUpsideDown) {
    Camera camera(glm::vec3(0.0f, 5.0f, 12.0f), 16.0f / 9.0f);
    camera.refreshView();
    EXPECT_GT(transformPoint(camera.view, {0.0f, 1.0f, 0.0f}).y, 0.0f) << "up is up on the screen";

    // What the real camera sees at p, the mirrored one sees at p's reflection in the water, upside down:
    // that is where the water shader looks the reflection up.
    const float water = -0.66558f;
    Camera mirrored = camera;
    mirrored.mirrorView(water);
    for (const glm::vec3 p : {glm::vec3(0.0f), glm::vec3(3.0f, 1.0f, -2.0f), glm::vec3(-4.0f, 7.5f, 5.0f)}) {
        const glm::vec3 seen = transformPoint(camera.view, p);
        const glm::vec3 reflection(p.x, 2.0f * water - p.y, p.z);
        expectNear(transformPoint(mirrored.view, reflection), {seen.x, -seen.y, seen.z}, 1e-4f);
    }
    EXPECT_EQ(mirrored.projection, camera.projection);
}

const char* const SceneModels[] = {"plane.obj",  "lava.dae",   "meteor.dae",  "map.dae",     "house.obj",
                                   "bridge.dae", "monkey.dae", "monkey2.dae", "monkey3.dae", "water.dae"};

// Puts meshes without GPU buffers into the process-wide mesh table and takes them out again.
class SceneAssemblyTest : public SceneTest {
  protected:
    void TearDown() override {
        for (const char* name : SceneModels)
            meshTable().erase(name);
        releaseMeshes();
        SceneTest::TearDown();
    }
    ScriptedRandom random{{0}};
    std::map<std::string, Mesh> meshes;
};

// A model the catalogue failed to load has been reported there; one the list never named is reported
// once by the scene. Either way its object is left out, and the two effects still take turns.
TEST_F(SceneAssemblyTest, AMissingModelIsReportedOnceAndItsObjectLeftOut) {
    for (const char* name : SceneModels) {
        meshes[name] = cpuMesh({glm::mat4(1.0f)});
        meshTable()[name] = &meshes[name];
    }
    for (const char* failed : {"map.dae", "plane.obj"}) {
        meshTable().erase(failed);
        noteFailedMesh(failed);
    }
    for (const char* unlisted : {"monkey2.dae", "water.dae"})
        meshTable().erase(unlisted);

    Scene scene;
    CoutCapture output;
    scene.assembleObjects();
    float dt = 0.1f;
    for (int frame = 0; frame < 400; ++frame) // forty seconds: the orb's whole cycle and the meteor's turn
        updateScene(scene, dt);
    EXPECT_EQ(output.text(), "ERROR: MISSING MESH monkey2.dae\nERROR: MISSING MESH water.dae\n");
    ASSERT_EQ(scene.drawList.size(), 7u);
    const char* const plain[] = {"map.dae",    "house.obj",   "bridge.dae",
                                 "monkey.dae", "monkey2.dae", "monkey3.dae"};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(scene.drawList[i + 1] ? scene.drawList[i + 1]->mesh : nullptr,
                  meshTable().count(plain[i]) ? &meshes[plain[i]] : nullptr)
            << plain[i];
    EXPECT_EQ(scene.effects.at(0)->mesh, &meshes["lava.dae"]);
    EXPECT_EQ(scene.emitter, nullptr);
    EXPECT_TRUE(scene.waterSurfaces.empty());
    EXPECT_EQ(scene.drawList[0], scene.effects.at(1).get()) << "the meteor's turn came";
}

// A small world built by hand: the orb's home is (0, 3, 0), the meteor starts at (-6, 12, 0).
class SceneUpdateTest : public SceneTest {
  protected:
    SceneUpdateTest() {
        scene.emitter = std::make_unique<ParticleEmitter>(&plane, 100, 20, 1.0f);
        scene.effects.push_back(std::make_unique<Orb>(&lava, scene.emitter.get()));
        scene.effects.push_back(std::make_unique<Meteor>(&rock, scene.emitter.get()));
        scene.drawList = {nullptr, new SceneObject(&houseMesh), nullptr};
        scene.waterSurfaces.emplace_back(&water);
        scene.camera = Camera(glm::vec3(0.0f, 5.0f, 12.0f), 16.0f / 9.0f);
        scene.skybox = &sky;
    }
    ~SceneUpdateTest() override { scene.skybox = nullptr; } // the sky record is the test's

    Orb& orb() { return static_cast<Orb&>(*scene.effects[0]); }
    Meteor& meteor() { return static_cast<Meteor&>(*scene.effects[1]); }
    SceneObject& house() { return *scene.drawList[1]; }
    void update(float dt) { updateScene(scene, dt); }

    ScriptedRandom random{{0}};
    Mesh plane = cpuMesh({glm::mat4(1.0f)});
    Mesh lava = cpuMesh({at(0.0f, 2.0f, 0.0f)}, glm::vec3(0.0f, 1.0f, 0.0f));
    Mesh rock = cpuMesh({glm::mat4(1.0f)});
    Mesh houseMesh = cpuMesh({at(1.0f, 0.0f, 0.0f), at(0.0f, 0.0f, 4.0f)});
    Mesh water = cpuMesh({at(5.0f, -0.66558f, 0.0f), at(-5.0f, -0.66558f, 0.0f)});
    Skybox sky;
    Scene scene; // last, so that it goes before the meshes it borrows
};

// The first step covers all loading time: five seconds late, everything turns by one radian at once.
TEST_F(SceneUpdateTest, TheFirstFrameMakesTheOrbTheHeadAndTurnsTheWorldByItsWholeStep) {
    update(5.0f);
    EXPECT_EQ(scene.drawList[0], &orb());
    EXPECT_EQ(scene.currentLight, orb().light.get());
    expectNear(transformPoint(scene.camera.view, glm::vec3(0.0f)), {0.0f, 0.0f, -13.0f}, 1e-4f);
    const glm::mat4 turn = glm::rotate(glm::mat4(1.0f), 1.0f, glm::vec3(0.0f, 1.0f, 0.0f));
    ASSERT_EQ(house().instances.size(), 2u);
    for (size_t i = 0; i < 2; ++i)
        expectNear(translationOf(house().instances[i]),
                   translationOf(turn * houseMesh.instanceTransforms[i]));
    EXPECT_FLOAT_EQ(sky.rotationAngle, 1.0f);
    EXPECT_FLOAT_EQ(meteor().spinAngle, 1.0f);
    EXPECT_TRUE(meteor().instances.empty()) << "the inactive meteor only turns";
    EXPECT_EQ(scene.waterSurfaces[0].instances, water.instanceTransforms) << "the water does not turn";
}

TEST_F(SceneUpdateTest, ALockedCameraKeepsItsViewWhileTheWorldMoves) {
    const glm::mat4 frozen = at(1.0f, 2.0f, 3.0f);
    scene.camera.view = frozen;
    appState().cameraLocked = true;
    update(1.0f);
    EXPECT_EQ(scene.camera.view, frozen);
    EXPECT_FLOAT_EQ(house().spinAngle, 0.2f);
}

// Every angle stays within one turn, so that a frame's step still turns it however long the run: a float
// that only grew would stop taking 60-a-second steps after some days.
TEST_F(SceneUpdateTest, AnglesStayWithinOneTurnAndKeepTurningForwards) {
    const float step = 1.0f / 60.0f;
    for (int frame = 0; frame < 20000; ++frame) // some five minutes
        update(step);
    const float before = house().spinAngle;
    update(step);
    EXPECT_NEAR(std::remainder(house().spinAngle - before, glm::two_pi<float>()), step * SpinRate, 1e-6f);
    for (const float angle : {house().spinAngle, orb().spinAngle, meteor().spinAngle, sky.rotationAngle}) {
        EXPECT_GE(angle, 0.0f);
        EXPECT_LT(angle, glm::two_pi<float>());
    }
}

// On the frame of a hand-over the old carrier still renders with its light and spins twice; the new one
// waits for the next frame.
TEST_F(SceneUpdateTest, HandOversTakeEffectOnTheNextFrame) {
    orb().phaseTime = 26.0f; // sinking
    orb().position.y = 0.31f;
    update(0.1f);
    EXPECT_EQ(appState().effectPhase, 1);
    EXPECT_EQ(scene.drawList[0], &orb());
    EXPECT_EQ(scene.currentLight, orb().light.get());
    EXPECT_FLOAT_EQ(orb().spinAngle, 0.04f);
    EXPECT_EQ(meteor().spinAngle, 0.0f);
    EXPECT_TRUE(meteor().instances.empty());

    update(0.1f);
    EXPECT_EQ(scene.drawList[0], &meteor());
    EXPECT_EQ(scene.currentLight, meteor().light.get());
    EXPECT_FLOAT_EQ(meteor().spinAngle, 0.02f);
    EXPECT_EQ(meteor().instances.size(), 1u);

    // The meteor hands back at its first landing after fifteen active seconds, not before.
    meteor().activeTime = 14.8f;
    meteor().position.y = 0.0f; // landed
    update(0.1f);
    EXPECT_EQ(appState().effectPhase, 1);
    meteor().activeTime = 15.5f;
    meteor().position.y = 0.0f;
    update(0.1f);
    EXPECT_EQ(appState().effectPhase, 0);
    EXPECT_EQ(meteor().activeTime, 0.0f);
    EXPECT_EQ(scene.currentLight, meteor().light.get());
    EXPECT_FLOAT_EQ(meteor().spinAngle, 0.08f);
    EXPECT_FLOAT_EQ(orb().spinAngle, 0.08f) << "on the hand-back frame the orb waits";
    EXPECT_EQ(orb().phaseTime, 0.0f);
    update(0.1f);
    EXPECT_EQ(scene.drawList[0], &orb());
    EXPECT_FLOAT_EQ(orb().phaseTime, 0.1f);
}

} // namespace
