#include "render/Renderer.h"

#include "RenderTestSupport.h"
#include "app/AppState.h"
#include "assets/ShaderProgram.h"
#include "render/Skybox.h"
#include "render/WaterSurface.h"
#include "render/WaterTargets.h"
#include "scene/ParticleEmitter.h"
#include "support/CoutCapture.h"

#include <cstring>
#include <glm/gtc/type_ptr.hpp>
#include <map>
#include <memory>

using namespace rendertest;

namespace {

const std::vector<std::string> PhongUniforms = {
    "light.position", "light.color", "light.constant", "light.linear", "light.quadratic", "diffuse",
    "shadow",         "view",        "projection",     "plane",        "camPos"};
const std::vector<std::string> ShadowUniforms = {
    "shadowMatrices[0]", "shadowMatrices[1]", "shadowMatrices[2]", "shadowMatrices[3]",
    "shadowMatrices[4]", "shadowMatrices[5]", "lightPos"};
const std::vector<std::string> RenderShaders = {"Phong.vert", "Phong.frag", "Shadow.vert", "Shadow.geom",
                                                "Shadow.frag"};

// The lines a pass prints when neither of its two files exists.
std::string missingFiles(const std::string& baseName) {
    const std::string path = std::string(ShaderDirectory) + baseName;
    return "ERROR OPENING FILE: " + path + ".vert\nERROR OPENING FILE: " + path +
           ".frag\nDELETING ERRONEOUS SHADER: " + baseName + "\n";
}

// A stand-in "Billboard" program (the real one is not this test's subject): enough to see where the
// renderer draws particles.
const char* const BillboardVertex = R"(#version 450 core
layout(location = 0) in vec3 position;
uniform mat4 view;
uniform mat4 projection;
void main() { gl_Position = projection * view * vec4(position, 1.0); })";
const char* const BillboardFragment = R"(#version 450 core
uniform sampler2D diffuse;
out vec4 colour;
void main() { colour = texture(diffuse, vec2(0.5)); })";

// The orb's part in a frame: an object with particles.
class ObjectWithParticles : public PlacedObject {
  public:
    using PlacedObject::PlacedObject;
    bool hasParticles() const override { return true; }
};

// Colour texture and depth render buffer, like the real water targets but small.
void createTarget(uint32_t& framebuffer, uint32_t& colour, uint32_t& depth, uint32_t width, uint32_t height) {
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                 GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, colour, 0);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, static_cast<GLsizei>(width),
                          static_cast<GLsizei>(height));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
}

void deleteTarget(uint32_t framebuffer, uint32_t colour, uint32_t depth) {
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &colour);
    glDeleteRenderbuffers(1, &depth);
}

class RendererTest : public GlTest {
  protected:
    static constexpr int Width = 320; // the test window's size
    static constexpr int Height = 240;

    void SetUp() override {
        GlTest::SetUp();
        appState() = AppState{};
        copyShaders(tree, RenderShaders);
        glEnable(GL_DEPTH_TEST); // as the window leaves it
        targets.reflectionWidth = 64;
        targets.reflectionHeight = 48;
        targets.refractionWidth = 80;
        targets.refractionHeight = 40;
        targets.screenWidth = Width;
        targets.screenHeight = Height;
        createTarget(targets.reflectionFramebuffer, targets.reflectionColour, targets.reflectionDepthBuffer,
                     64, 48);
        createTarget(targets.refractionFramebuffer, targets.refractionColour, targets.refractionDepth, 80,
                     40);
    }
    void TearDown() override {
        renderer.reset();
        deleteTarget(targets.reflectionFramebuffer, targets.reflectionColour, targets.reflectionDepthBuffer);
        deleteTarget(targets.refractionFramebuffer, targets.refractionColour, targets.refractionDepth);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CLIP_DISTANCE0);
        glDisable(GL_BLEND);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, Width, Height);
        appState() = AppState{};
        GlTest::TearDown();
    }

    void buildRenderer() {
        const ScopedWorkingDirectory inWork(tree.work());
        CoutCapture output;
        renderer = std::make_unique<Renderer>(Width, Height);
        constructionOutput = output.text();
        acceptCompilerMessages(constructionOutput);
    }
    void renderFrame(Camera& frameCamera, const PointLight& frameLight,
                     const std::vector<SceneObject*>& drawList) {
        const ScopedWorkingDirectory inWork(tree.work());
        renderer->render(frameCamera, frameLight, drawList, waterSurfaces, skybox, targets);
    }

    TempTree tree;
    WaterTargets targets;
    std::vector<WaterSurface> waterSurfaces;
    Skybox skybox;
    std::unique_ptr<Renderer> renderer;
    std::string constructionOutput;
    Camera camera = lookingCamera({4.0f, 5.0f, 2.0f}, {0.0f, 0.0f, 0.0f}, Width, Height);
    PointLight light = whiteLight({-3.0f, 2.0f, 0.0f});
};

TEST_F(RendererTest, BuildsThePassesInOrderAndReleasesThemAll) {
    for (const char* name : {"Phong.vert", "Shadow.geom"})
        std::filesystem::remove(tree.shaders() / name);
    buildRenderer();
    // Phong, Billboard, Water, Skybox, Shadow, cube map (silent), Debugger.
    const std::string expected = "ERROR OPENING FILE: ../Resources/Shaders/Phong.vert\n"
                                 "DELETING ERRONEOUS SHADER: Phong\n" +
                                 missingFiles("Billboard") + missingFiles("Water") + missingFiles("Skybox") +
                                 "ERROR OPENING FILE: ../Resources/Shaders/Shadow.geom\n"
                                 "DELETING ERRONEOUS SHADER: Shadow\n" +
                                 missingFiles("Debugger");
    EXPECT_EQ(constructionOutput, expected);
    ASSERT_NE(renderer->shadowCubeMap, nullptr);
    for (const void* pass :
         {static_cast<const void*>(renderer->phongPass.get()), (const void*)renderer->billboardPass.get(),
          (const void*)renderer->waterPass.get(), (const void*)renderer->skyboxPass.get(),
          (const void*)renderer->shadowPass.get(), (const void*)renderer->debugPass.get()})
        EXPECT_NE(pass, nullptr); // a failed build still leaves its pass in place

    copyShaders(tree, RenderShaders);
    renderer.reset();
    buildRenderer();
    const GLuint phong = renderer->phongPass->program->program;
    const GLuint shadow = renderer->shadowPass->program->program;
    const GLuint framebuffer = renderer->shadowCubeMap->framebuffer;
    const GLuint cube = renderer->shadowCubeMap->cubeTexture;
    GlCallLog log;
    renderer.reset();
    EXPECT_EQ(log.deletedPrograms, (std::vector<GLuint>{phong, shadow}));
    EXPECT_EQ(log.deletedFramebuffers, std::vector<GLuint>{framebuffer});
    EXPECT_FALSE(glIsTexture(cube));
}

TEST_F(RendererTest, StagesDrawInOrderSkippingNullEntriesAndNeverShadowingWithEntryZero) {
    tree.write("Resources/Shaders/Billboard.vert", BillboardVertex);
    tree.write("Resources/Shaders/Billboard.frag", BillboardFragment);
    buildRenderer();
    ASSERT_NE(renderer->billboardPass->program, nullptr);
    const std::unique_ptr<TestMesh> carrierMesh(createBox(0.3f, 0.6f)), aMesh(createBox(0.5f, 1.0f)),
        bMesh(createFloorSquare(4.0f)), sparkMesh(createFloorSquare(0.1f));
    ParticleEmitter emitter(&sparkMesh->mesh, 100, 20, 1.0f);
    emitter.instances = {glm::mat4(1.0f), glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.5f, 0.0f))};
    ObjectWithParticles carrier(carrierMesh->mesh,
                                glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 2.0f, 0.0f)));
    carrier.emitter = &emitter;
    PlacedObject a(aMesh->mesh, glm::mat4(1.0f));
    PlacedObject b(bMesh->mesh, glm::mat4(1.0f));

    GlCallLog log;
    renderFrame(camera, light, {&carrier, nullptr, &a, nullptr, &b, nullptr});

    const std::map<GLuint, std::string> framebuffers = {{renderer->shadowCubeMap->framebuffer, "shadow"},
                                                        {targets.reflectionFramebuffer, "reflection"},
                                                        {targets.refractionFramebuffer, "refraction"},
                                                        {0u, "final"}};
    const std::map<GLuint, std::string> meshes = {{carrierMesh->mesh.buffers->vertexArray, "carrier"},
                                                  {aMesh->mesh.buffers->vertexArray, "a"},
                                                  {bMesh->mesh.buffers->vertexArray, "b"},
                                                  {sparkMesh->mesh.buffers->vertexArray, "particles"}};
    const std::map<GLuint, std::string> programs = {{renderer->shadowPass->program->program, "Shadow"},
                                                    {renderer->phongPass->program->program, "Phong"},
                                                    {renderer->billboardPass->program->program, "Billboard"}};
    std::vector<std::string> seen;
    for (const DrawRecord& draw : log.draws)
        seen.push_back(framebuffers.at(draw.framebuffer) + " " + programs.at(draw.program) + " " +
                       meshes.at(draw.vertexArray));
    const std::vector<std::string> expected = {"shadow Shadow a",
                                               "shadow Shadow b", //
                                               "reflection Phong carrier",
                                               "reflection Billboard particles",
                                               "reflection Phong a",
                                               "reflection Phong b", //
                                               "refraction Phong carrier",
                                               "refraction Phong a",
                                               "refraction Phong b", //
                                               "final Phong carrier",
                                               "final Billboard particles",
                                               "final Phong a",
                                               "final Phong b"};
    EXPECT_EQ(seen, expected);

    for (const DrawRecord& draw : log.draws) {
        const std::string where = framebuffers.at(draw.framebuffer);
        SCOPED_TRACE(where);
        const bool water = where == "reflection" || where == "refraction";
        EXPECT_EQ(draw.clipDistance0, water);
        const std::map<std::string, std::array<GLint, 4>> viewports = {{"shadow", {0, 0, 1024, 1024}},
                                                                       {"reflection", {0, 0, 64, 48}},
                                                                       {"refraction", {0, 0, 80, 40}},
                                                                       {"final", {0, 0, Width, Height}}};
        EXPECT_EQ(draw.viewport, viewports.at(where));
        if (where == "final" && draw.program == renderer->phongPass->program->program) {
            EXPECT_EQ(draw.cubeOnUnit1, renderer->shadowCubeMap->cubeTexture);
        }
    }
}

TEST_F(RendererTest, WaterStageMirrorsTheViewForTheReflectionAndRestoresItBitForBit) {
    buildRenderer();
    const std::unique_ptr<TestMesh> mesh(createBox(0.5f, 1.0f));
    PlacedObject object(mesh->mesh, glm::mat4(1.0f));
    // A view whose mirroring does not undo itself exactly in float arithmetic.
    Camera oddCamera = lookingCamera({1.7f, 3.3f, 5.1f}, {0.1f, -0.2f, 0.3f}, Width, Height);
    const Camera before = oddCamera;
    Camera mirrored = oddCamera;
    mirrored.mirrorView(WaterHeight);
    mirrored.mirrorView(WaterHeight);
    ASSERT_NE(std::memcmp(&mirrored.view, &before.view, sizeof(glm::mat4)), 0)
        << "mirroring twice happens to restore this view; pick another one";
    mirrored = oddCamera;
    mirrored.mirrorView(WaterHeight);

    GlCallLog log;
    renderFrame(oddCamera, light, {nullptr, &object});
    EXPECT_EQ(std::memcmp(&oddCamera.view, &before.view, sizeof(glm::mat4)), 0);
    EXPECT_EQ(oddCamera.projection, before.projection);
    EXPECT_EQ(oddCamera.position, before.position);

    const GLuint phong = renderer->phongPass->program->program;
    const std::vector<float> original(glm::value_ptr(before.view), glm::value_ptr(before.view) + 16);
    const std::vector<float> reflected(glm::value_ptr(mirrored.view), glm::value_ptr(mirrored.view) + 16);
    EXPECT_EQ(log.valuesAt(phong, renderer->phongPass->viewLocation),
              (std::vector<std::vector<float>>{reflected, original, original}));
}

TEST_F(RendererTest, FrameEndsInTheStateItPromises) {
    buildRenderer();
    const std::unique_ptr<TestMesh> mesh(createBox(0.5f, 1.0f));
    PlacedObject object(mesh->mesh, glm::mat4(1.0f));
    // State a previous frame or another pass could have left behind.
    glViewport(1, 2, 3, 4);
    glEnable(GL_BLEND);
    glEnable(GL_CLIP_DISTANCE0);
    glCullFace(GL_FRONT_AND_BACK);
    glActiveTexture(GL_TEXTURE2);

    renderFrame(camera, light, {&object, &object});
    EXPECT_EQ(glInteger(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(viewport, (std::array<GLint, 4>{0, 0, Width, Height}));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(glInteger(GL_DEPTH_FUNC), GL_LESS);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_CLIP_DISTANCE0));
    EXPECT_EQ(glInteger(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
}

TEST_F(RendererTest, FunctionKeysRebuildTheirPassBeforeTheFrameDraws) {
    struct Case {
        int32_t key;
        std::vector<std::string> lookups;
        std::string output;
    };
    const Case cases[] = {
        {1, PhongUniforms, ""},
        {2, {}, missingFiles("Billboard")},
        {3, {}, missingFiles("Water")},
        {4, ShadowUniforms, ""},
        {5, {}, missingFiles("Debugger")},
        {6, {}, ""},
        {7, {}, ""},
        {8, {}, ""},
    };
    buildRenderer();
    const std::unique_ptr<TestMesh> mesh(createBox(0.5f, 1.0f));
    PlacedObject object(mesh->mesh, glm::mat4(1.0f));
    for (const Case& c : cases) {
        SCOPED_TRACE("F" + std::to_string(c.key));
        appState().reloadRequested = true;
        appState().reloadPass = c.key;
        GlCallLog log;
        CoutCapture output;
        renderFrame(camera, light, {&object, &object});
        EXPECT_FALSE(appState().reloadRequested);
        EXPECT_EQ(log.uniformLookups, c.lookups);
        EXPECT_EQ(output.text(), c.output);
        // The rebuilt pass already draws in this frame.
        ASSERT_FALSE(log.draws.empty());
        EXPECT_EQ(log.draws.front().program, renderer->shadowPass->program->program);
        EXPECT_EQ(log.draws.back().program, renderer->phongPass->program->program);
        const auto lastLookup = std::find(log.calls.rbegin(), log.calls.rend(), "glGetUniformLocation");
        const auto firstDraw = std::find(log.calls.begin(), log.calls.end(), "glDrawElementsInstanced");
        if (lastLookup != log.calls.rend()) {
            EXPECT_LT(lastLookup.base(), firstDraw);
        }
    }
}

TEST_F(RendererTest, ShadowRebuildKeepsTheCubeMapAndItsTarget) {
    buildRenderer();
    const std::unique_ptr<TestMesh> mesh(createBox(0.5f, 1.0f));
    PlacedObject object(mesh->mesh, glm::mat4(1.0f));
    renderFrame(camera, light, {nullptr, &object});
    const ShadowCubeMap* cubeMap = renderer->shadowCubeMap;
    const ShadowCubeMap names = *cubeMap;
    const GLuint oldShadowProgram = renderer->shadowPass->program->program;

    appState().reloadRequested = true;
    appState().reloadPass = 4;
    GlCallLog log;
    renderFrame(camera, light, {nullptr, &object});
    EXPECT_EQ(log.deletedPrograms, std::vector<GLuint>{oldShadowProgram});
    EXPECT_EQ(log.uniformLookups, ShadowUniforms);
    EXPECT_EQ(renderer->shadowCubeMap, cubeMap);
    EXPECT_EQ(renderer->shadowCubeMap->framebuffer, names.framebuffer);
    EXPECT_EQ(renderer->shadowCubeMap->cubeTexture, names.cubeTexture);
    EXPECT_EQ(log.count("glGenFramebuffers"), 0u);
    EXPECT_EQ(log.count("glFramebufferTexture"), 0u);
    EXPECT_TRUE(glIsTexture(names.cubeTexture));
    ASSERT_FALSE(log.draws.empty());
    EXPECT_EQ(log.draws.front().framebuffer, names.framebuffer);
    EXPECT_EQ(log.draws.front().program, renderer->shadowPass->program->program);
}

// A box standing on a floor, the light low on one side: the floor behind the box is dark right up to
// its foot, the floor on the lit side is lit everywhere (no self-shadowing), and the object carrying the
// light throws no shadow.
TEST_F(RendererTest, ObjectsShadowTheFloorAwayFromTheLightButTheCarrierDoesNot) {
    buildRenderer();
    const std::unique_ptr<TestMesh> floorMesh(createFloorSquare(5.0f)), boxMesh(createBox(0.5f, 1.0f));
    PlacedObject floor(floorMesh->mesh, glm::mat4(1.0f));
    PlacedObject box(boxMesh->mesh, glm::mat4(1.0f));
    const glm::vec3 behindTheFoot(0.56f, 0.0f, 0.0f), farBehind(2.0f, 0.0f, -0.2f);
    const std::vector<glm::vec3> litFloor = {{-2.0f, 0.0f, -2.0f}, {-0.8f, 0.0f, 1.0f}, {1.0f, 0.0f, 2.5f},
                                             {-4.0f, 0.0f, 0.0f},  {3.0f, 0.0f, -3.0f}, {0.6f, 0.0f, 1.3f}};

    const auto brightness = [&](const glm::vec3& at) { return int(pixelAt(camera, at, Width, Height).r); };
    const auto expectLitFloor = [&] {
        for (const glm::vec3& point : litFloor)
            EXPECT_GT(brightness(point), 140) << "floor at (" << point.x << ", " << point.z << ")";
    };
    // Ambient alone is 0.3 of the white texture, about 77.
    const auto expectShadow = [&](const glm::vec3& point) {
        const int value = brightness(point);
        EXPECT_GT(value, 60) << "the shadow hides the light, not the ambient term";
        EXPECT_LT(value, 95) << "floor at (" << point.x << ", " << point.z << ")";
    };

    renderFrame(camera, light, {nullptr, &floor, &box});
    expectShadow(behindTheFoot);
    expectShadow(farBehind);
    expectLitFloor();

    // The same box as the light's own object: nothing is in shadow.
    renderFrame(camera, light, {&box, &floor});
    EXPECT_GT(brightness(behindTheFoot), 140);
    EXPECT_GT(brightness(farBehind), 140);
    expectLitFloor();
}

TEST_F(RendererTest, StageTimesAreCollectedWithoutWaitingOnlyWhenEnabled) {
    buildRenderer();
    const std::unique_ptr<TestMesh> mesh(createBox(0.5f, 1.0f));
    PlacedObject object(mesh->mesh, glm::mat4(1.0f));
    {
        GlCallLog log;
        renderFrame(camera, light, {&object, &object});
        EXPECT_EQ(log.count("glGenQueries") + log.count("glBeginQuery"), 0u);
        EXPECT_TRUE(renderer->stageTimes().empty());
    }

    renderer->enableStageTimer();
    std::vector<std::vector<std::string>> namesPerFrame;
    for (size_t frame = 0; frame < StageTimer::FramesInFlight + 3; ++frame) {
        renderFrame(camera, light, {&object, &object});
        glFinish(); // every query of this frame is answered before the next one begins
        std::vector<std::string> names;
        for (const StageTime& time : renderer->stageTimes()) {
            names.emplace_back(time.stage);
            EXPECT_GE(time.milliseconds, 0.0);
            EXPECT_LT(time.milliseconds, 60000.0);
        }
        namesPerFrame.push_back(names);
    }
    const std::vector<std::string> stages = {"gpu shadow", "gpu water", "gpu main", "gpu skybox"};
    // A frame's times come back when its queries are reused, FramesInFlight frames later, once each.
    std::vector<std::vector<std::string>> expected(StageTimer::FramesInFlight);
    expected.insert(expected.end(), 3, stages);
    EXPECT_EQ(namesPerFrame, expected);
}

} // namespace
