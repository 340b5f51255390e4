// The whole world from the repository's own resource tree: it loads without a word, draws frames through
// both effects without an OpenGL error, and its release leaves no object behind, twice over.
#include "app/AppState.h"
#include "assets/ResourceCatalogue.h"
#include "render/Renderer.h"
#include "render/Skybox.h"
#include "render/WaterTargets.h"
#include "scene/Scene.h"
#include "scene/SceneUpdate.h"
#include "support/CoutCapture.h"
#include "support/GlTest.h"
#include "support/TempTree.h"

namespace {

class SceneLifecycleTest : public GlTest {};

TEST_F(SceneLifecycleTest, TheRealWorldLoadsSilentlyRunsBothEffectsAndReleasesEverything) {
    // From a folder beside the repository's Resources, so that "../Resources/..." is the real tree.
    const ScopedWorkingDirectory beside(repositoryRoot() / "tests");
    const auto before = liveGlObjects();
    for (int round = 0; round < 2; ++round) {
        appState() = AppState{};
        CoutCapture output;
        auto scene = std::make_unique<Scene>(320, 180);
        EXPECT_EQ(output.text(), "");
        ASSERT_EQ(scene->drawList.size(), 7u);
        for (size_t i = 1; i < 7; ++i)
            EXPECT_NE(scene->drawList[i], nullptr) << i;
        ASSERT_EQ(scene->waterSurfaces.size(), 1u);
        EXPECT_FLOAT_EQ(scene->camera.aspect, 320.0f / 180.0f);
        EXPECT_EQ(scene->waterTargets->reflectionWidth, 640u);

        // Long steps: the orb's whole cycle, the hand-over and the meteor's first falls in a few frames.
        for (float step : {5.0f, 5.0f, 5.0f, 5.0f, 3.0f, 2.0f, 5.0f, 0.5f, 0.5f, 0.5f}) {
            updateScene(*scene, step);
            scene->renderer->render(scene->camera, *scene->currentLight, scene->drawList,
                                    scene->waterSurfaces, *scene->skybox, *scene->waterTargets);
        }
        EXPECT_EQ(scene->drawList[0], scene->effects[1].get()) << "the meteor's turn never came";
        scene.reset();
        EXPECT_EQ(liveGlObjects(), before) << "round " << round;
        EXPECT_TRUE(textureTable().empty() && meshTable().empty());
    }
    appState() = AppState{};
}

} // namespace
