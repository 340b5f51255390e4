#include "scene/SceneObject.h"

#include "SceneTestSupport.h"
#include "scene/Meteor.h"
#include "scene/Orb.h"
#include "scene/ParticleEmitter.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

namespace {

using SceneObjectTest = SceneTest;

TEST_F(SceneObjectTest, OneSecondTurnsEveryInstanceByPointTwoAboutTheVerticalAxis) {
    const glm::mat4 shifted = glm::translate(glm::mat4(1.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    const glm::mat4 lifted = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 2.0f, 3.0f));
    Mesh mesh = cpuMesh({shifted, lifted});
    SceneObject object(&mesh);

    object.update(1.0f);

    EXPECT_FLOAT_EQ(object.spinAngle, 0.2f);
    ASSERT_EQ(object.instances.size(), 2u);
    // Turning (1, 0, 0) by 0.2 rad about +y, right-handed, gives (cos 0.2, 0, -sin 0.2).
    expectNear(translationOf(object.instances[0]), glm::vec3(std::cos(0.2f), 0.0f, -std::sin(0.2f)));
    expectNear(translationOf(object.instances[1]),
               glm::vec3(3.0f * std::sin(0.2f), 2.0f, 3.0f * std::cos(0.2f)));
    // The rotation goes before the model's own transform: the instance's axes are turned as well.
    expectNear(glm::vec3(object.instances[1][0]), glm::vec3(std::cos(0.2f), 0.0f, -std::sin(0.2f)));
}

TEST_F(SceneObjectTest, EachUpdateRebuildsTheInstancesInPlace) {
    Mesh mesh = cpuMesh({glm::mat4(1.0f), glm::mat4(1.0f), glm::mat4(1.0f)});
    SceneObject object(&mesh);
    object.update(0.5f);
    const glm::mat4* storage = object.instances.data();

    object.update(0.5f);

    EXPECT_EQ(object.instances.size(), 3u);
    EXPECT_FLOAT_EQ(object.spinAngle, 0.2f);
    // The frame loop must not allocate: the list keeps its storage from frame to frame.
    EXPECT_EQ(object.instances.data(), storage);
}

TEST_F(SceneObjectTest, WithoutAMeshUpdateAndDrawTouchNothing) {
    SceneObject object(nullptr);

    object.update(1.0f);
    // No GL context exists here: a draw that reached OpenGL would crash.
    object.draw(0);

    EXPECT_TRUE(object.instances.empty());
    EXPECT_FALSE(object.hasParticles());
}

TEST_F(SceneObjectTest, OnlyAnOrbWithAnEmitterHasParticles) {
    Mesh mesh = cpuMesh({glm::mat4(1.0f)});
    ParticleEmitter emitter(&mesh, 100, 20, 1.0f);
    ScriptedRandom random({0});

    EXPECT_FALSE(SceneObject(&mesh).hasParticles());
    EXPECT_FALSE(Meteor(&mesh, &emitter).hasParticles());
    EXPECT_TRUE(Orb(&mesh, &emitter).hasParticles());
    EXPECT_FALSE(Orb(&mesh, nullptr).hasParticles());
}

} // namespace
