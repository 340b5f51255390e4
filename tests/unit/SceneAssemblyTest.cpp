#include "CoutCapture.h"
#include "SceneTestSupport.h"
#include "assets/ResourceCatalogue.h"
#include "scene/Meteor.h"
#include "scene/Orb.h"
#include "scene/Scene.h"
#include "scene/SceneUpdate.h"

#include <map>
#include <string>
#include <vector>

namespace {

const char* const SceneModels[] = {"plane.obj",  "lava.dae",   "meteor.dae",  "map.dae",     "house.obj",
                                   "bridge.dae", "monkey.dae", "monkey2.dae", "monkey3.dae", "water.dae"};

// Puts meshes without GPU buffers into the process-wide mesh table and takes them out again.
class SceneAssemblyTest : public SceneTest {
  protected:
    void stock(const std::vector<std::string>& missing = {}) {
        for (const char* name : SceneModels) {
            bool absent = false;
            for (const std::string& m : missing)
                absent = absent || m == name;
            if (absent)
                continue;
            meshes[name] = cpuMesh({glm::mat4(1.0f), glm::mat4(2.0f)}, glm::vec3(0.0f, 2.0f, 0.0f));
            meshTable()[name] = &meshes[name];
        }
    }
    void TearDown() override {
        for (const auto& entry : meshes)
            meshTable().erase(entry.first);
        SceneTest::TearDown();
    }

    ScriptedRandom random{{0}};
    std::map<std::string, Mesh> meshes;
};

TEST_F(SceneAssemblyTest, BuildsTheFixedWorldFromTheMeshTable) {
    stock();
    Scene scene;
    CoutCapture output;

    scene.assembleObjects();

    EXPECT_EQ(output.text(), "");
    ASSERT_EQ(scene.effects.size(), 2u);
    const auto* orb = dynamic_cast<const Orb*>(scene.effects[0].get());
    const auto* meteor = dynamic_cast<const Meteor*>(scene.effects[1].get());
    ASSERT_NE(orb, nullptr);
    ASSERT_NE(meteor, nullptr);
    EXPECT_EQ(orb->mesh, &meshes["lava.dae"]);
    EXPECT_EQ(meteor->mesh, &meshes["meteor.dae"]);
    EXPECT_EQ(random.drawn(), 4u); // the meteor's first fall

    ASSERT_NE(scene.emitter, nullptr);
    EXPECT_EQ(scene.emitter->mesh, &meshes["plane.obj"]);
    EXPECT_EQ(scene.emitter->maxParticles, 100);
    EXPECT_EQ(scene.emitter->spawnRate, 20);
    EXPECT_EQ(scene.emitter->particleLife, 1.0f);
    EXPECT_EQ(orb->emitter, scene.emitter.get());
    EXPECT_EQ(meteor->emitter, scene.emitter.get());

    const char* const plain[] = {"map.dae",    "house.obj",   "bridge.dae",
                                 "monkey.dae", "monkey2.dae", "monkey3.dae"};
    ASSERT_EQ(scene.drawList.size(), 7u);
    EXPECT_EQ(scene.drawList[0], nullptr);
    for (std::size_t i = 0; i < 6; ++i) {
        ASSERT_NE(scene.drawList[i + 1], nullptr) << plain[i];
        EXPECT_EQ(scene.drawList[i + 1]->mesh, &meshes[plain[i]]);
        EXPECT_EQ(scene.drawList[i + 1]->light, nullptr);
        EXPECT_EQ(scene.drawList[i + 1]->emitter, nullptr);
        EXPECT_EQ(scene.drawList[i + 1]->model, glm::mat4(1.0f));
    }
    ASSERT_EQ(scene.waterSurfaces.size(), 1u);
    EXPECT_EQ(scene.waterSurfaces[0].mesh, &meshes["water.dae"]);
    EXPECT_EQ(scene.currentLight, nullptr);
}

TEST_F(SceneAssemblyTest, AMissingModelIsNamedOnceAndItsObjectLeftOut) {
    stock({"plane.obj", "map.dae", "monkey2.dae", "water.dae"});
    Scene scene;
    CoutCapture output;

    scene.assembleObjects();
    for (int frame = 0; frame < 40 * 10; ++frame) {
        float dt = 0.1f; // forty seconds: the orb's whole cycle and the meteor's turn
        updateScene(scene, dt);
    }

    EXPECT_EQ(output.lines(), (std::vector<std::string>{
                                  "ERROR: MISSING MESH plane.obj",
                                  "ERROR: MISSING MESH map.dae",
                                  "ERROR: MISSING MESH monkey2.dae",
                                  "ERROR: MISSING MESH water.dae",
                              }));
    ASSERT_EQ(scene.drawList.size(), 7u);
    EXPECT_EQ(scene.drawList[1], nullptr);
    EXPECT_EQ(scene.drawList[5], nullptr);
    EXPECT_NE(scene.drawList[2], nullptr);
    EXPECT_EQ(scene.emitter, nullptr);
    EXPECT_FALSE(scene.effects[0]->hasParticles());
    EXPECT_TRUE(scene.waterSurfaces.empty());
    EXPECT_EQ(scene.drawList[0], scene.effects[1].get()); // the meteor's turn came
}

TEST_F(SceneAssemblyTest, WithoutAnyModelTheEffectsStillTakeTurnsWithTheLight) {
    Scene scene;
    CoutCapture output;

    scene.assembleObjects();
    for (int frame = 0; frame < 100; ++frame) {
        float dt = 0.1f;
        updateScene(scene, dt);
        ASSERT_NE(scene.currentLight, nullptr);
    }

    EXPECT_EQ(output.lines().size(), 10u);
    ASSERT_EQ(scene.effects.size(), 2u);
    ASSERT_EQ(scene.drawList.size(), 7u);
    for (std::size_t i = 1; i < 7; ++i)
        EXPECT_EQ(scene.drawList[i], nullptr);
}

} // namespace
