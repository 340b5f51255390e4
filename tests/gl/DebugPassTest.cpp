#include "render/DebugPass.h"

#include "EffectsGl.h"
#include "app/AppState.h"
#include "assets/ShaderProgram.h"
#include "render/Renderer.h"
#include "render/Skybox.h"
#include "render/WaterSurface.h"
#include "render/WaterTargets.h"
#include "scene/Camera.h"
#include "scene/PointLight.h"
#include "scene/SceneObject.h"
#include "support/CoutCapture.h"

#include <utility>

namespace {

class DebugPassTest : public GlTest {
  protected:
    effects::ShaderTree tree;
};

TEST_F(DebugPassTest, BuildsTheDebuggerProgramSilentlyAndFindsItsSampler) {
    CoutCapture output;
    const DebugPass pass;
    EXPECT_EQ(output.text(), "");
    ASSERT_NE(pass.program, nullptr);
    EXPECT_TRUE(glIsProgram(pass.program->program));
    EXPECT_GE(pass.texLocation, 0);
}

TEST_F(DebugPassTest, MissingFilesGiveTwoOpenErrorsAndOneDeletionLine) {
    std::filesystem::remove(tree.tree().shaders() / "Debugger.vert");
    std::filesystem::remove(tree.tree().shaders() / "Debugger.frag");
    CoutCapture output;
    const DebugPass pass;
    EXPECT_EQ(output.lines(), (std::vector<std::string>{
                                  "ERROR OPENING FILE: ../Resources/Shaders/Debugger.vert",
                                  "ERROR OPENING FILE: ../Resources/Shaders/Debugger.frag",
                                  "DELETING ERRONEOUS SHADER: Debugger",
                              }));
    EXPECT_EQ(pass.program, nullptr);
    EXPECT_EQ(pass.texLocation, -1);
}

// --- Through the renderer: built with the other passes at start-up and rebuilt by F5. ---

template <typename Function> class ScopedEntryPoint {
  public:
    ScopedEntryPoint(Function& slot, Function fake) : slot_(slot), saved_(slot) { slot_ = fake; }
    ~ScopedEntryPoint() { slot_ = saved_; }
    ScopedEntryPoint(const ScopedEntryPoint&) = delete;
    ScopedEntryPoint& operator=(const ScopedEntryPoint&) = delete;

  private:
    Function& slot_;
    Function saved_;
};

// Program creations and deletions in the order the driver sees them.
std::vector<std::pair<std::string, GLuint>> programEvents;
PFNGLCREATEPROGRAMPROC realCreateProgram = nullptr;
PFNGLDELETEPROGRAMPROC realDeleteProgram = nullptr;

GLuint GLAPIENTRY recordedCreateProgram() {
    const GLuint name = realCreateProgram();
    programEvents.emplace_back("create", name);
    return name;
}

void GLAPIENTRY recordedDeleteProgram(GLuint name) {
    programEvents.emplace_back("delete", name);
    realDeleteProgram(name);
}

// What a frame needs besides the renderer, with nothing to draw: the F5 rebuild happens first thing in
// render, before any stage.
struct EmptyWorld {
    EmptyWorld() : skybox(createSkybox()), targets(createWaterTargets(64, 48, 64, 48, 320, 240)) {
        camera.refreshView();
    }
    ~EmptyWorld() {
        destroyWaterTargets(targets);
        destroySkybox(skybox);
    }
    Camera camera{glm::vec3(0.0f, 5.0f, 12.0f), 4.0f / 3.0f};
    PointLight light{glm::vec3(0.0f, 3.0f, 0.0f), glm::vec3(1.0f), 1.0f, 0.0f, 0.0f};
    std::vector<SceneObject*> drawList{nullptr};
    std::vector<WaterSurface> waterSurfaces;
    Skybox* skybox;
    WaterTargets* targets;
};

TEST_F(DebugPassTest, RendererBuildsTheDebugPassAtStartUp) {
    CoutCapture output;
    const Renderer renderer(320, 240);
    EXPECT_EQ(output.text(), "");
    ASSERT_NE(renderer.debugPass, nullptr);
    ASSERT_NE(renderer.debugPass->program, nullptr);
    EXPECT_TRUE(glIsProgram(renderer.debugPass->program->program));
}

// F5 twice: each press deletes the old program before the new one is created, and only the debug pass
// is replaced.
TEST_F(DebugPassTest, F5RebuildsTheDebugPassDeletingTheOldProgramFirst) {
    EmptyWorld world;
    Renderer renderer(320, 240);
    const PhongPass* phong = renderer.phongPass.get();
    const WaterPass* water = renderer.waterPass.get();
    realCreateProgram = glCreateProgram;
    realDeleteProgram = glDeleteProgram;
    for (int press = 0; press < 2; ++press) {
        ASSERT_NE(renderer.debugPass->program, nullptr);
        const GLuint old = renderer.debugPass->program->program;
        programEvents.clear();
        appState().reloadRequested = true;
        appState().reloadPass = 5;
        {
            const ScopedEntryPoint create(__glewCreateProgram, recordedCreateProgram);
            const ScopedEntryPoint remove(__glewDeleteProgram, recordedDeleteProgram);
            renderer.render(world.camera, world.light, world.drawList, world.waterSurfaces, *world.skybox,
                            *world.targets);
        }
        EXPECT_FALSE(appState().reloadRequested);
        ASSERT_NE(renderer.debugPass->program, nullptr);
        const GLuint rebuilt = renderer.debugPass->program->program;
        EXPECT_EQ(programEvents,
                  (std::vector<std::pair<std::string, GLuint>>{{"delete", old}, {"create", rebuilt}}))
            << "press " << press + 1;
        EXPECT_GE(renderer.debugPass->texLocation, 0);
    }
    EXPECT_EQ(renderer.phongPass.get(), phong);
    EXPECT_EQ(renderer.waterPass.get(), water);
    glViewport(0, 0, 320, 240);
}

} // namespace
