// The renderer and its passes with the real shader files, judged by the pixels they leave: shadows, the
// water's two images and its look, the sky, the billboards, rebuilding a pass from disk, and the state
// a frame leaves behind. Meshes go through the loaders' own vertex layouts.
#include "app/AppState.h"
#include "assets/Mesh.h"
#include "assets/ResourceCatalogue.h"
#include "assets/ShaderProgram.h"
#include "render/Renderer.h"
#include "render/Skybox.h"
#include "render/WaterSurface.h"
#include "render/WaterTargets.h"
#include "scene/ParticleEmitter.h"
#include "scene/SceneObject.h"
#include "support/CoutCapture.h"
#include "support/GlTest.h"
#include "support/TempTree.h"

#include <FreeImage.h>
#include <fstream>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <memory>

namespace {

constexpr int Width = 320; // the part of the hidden window the frames are drawn into
constexpr int Height = 240;

using Colour = glm::ivec4;

std::string describe(const Colour& c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

bool near(const Colour& a, const Colour& b, int tolerance = 3) {
    const Colour d = glm::abs(a - b);
    return d.r <= tolerance && d.g <= tolerance && d.b <= tolerance;
}

Colour readPixel(int x, int y) {
    glm::u8vec4 rgba(0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &rgba);
    return Colour(rgba);
}

GLuint texture(int width, int height, const glm::u8vec4* pixels) {
    GLuint name = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &name);
    glTextureStorage2D(name, 1, GL_RGBA8, width, height);
    glTextureSubImage2D(name, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glTextureParameteri(name, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTextureParameteri(name, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return name;
}

GLuint solidTexture(glm::u8vec4 rgba) {
    return texture(1, 1, &rgba);
}

void writeSolidImage(const std::filesystem::path& path, glm::u8vec4 rgba) {
    FIBITMAP* bitmap = FreeImage_Allocate(8, 8, 24);
    const RGBQUAD colour{rgba.b, rgba.g, rgba.r, 255};
    FreeImage_FillBackground(bitmap, &colour, 0);
    FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0); // the loaders go by the signature, not the name
    FreeImage_Unload(bitmap);
}

class RenderTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        appState() = AppState{};
        tree.copyFromRepository("Shaders");
        glEnable(GL_DEPTH_TEST); // as the window leaves it
        CoutCapture output;
        renderer = std::make_unique<Renderer>(Width, Height);
        skybox = createSkybox(); // without face files: a black sky
        targets = createWaterTargets(64, 48, 80, 40, Width, Height);
        EXPECT_EQ(output.text(), "");
    }
    void TearDown() override {
        renderer.reset();
        destroySkybox(skybox);
        destroyWaterTargets(targets);
        for (Mesh* mesh : meshes) {
            glDeleteTextures(1, &mesh->texture);
            destroyMesh(mesh);
        }
        glDisable(GL_DEPTH_TEST);
        appState() = AppState{};
        GlTest::TearDown();
    }

    // A mesh in the model layout placed once at `place`, with a 1 x 1 texture of one colour.
    Mesh* mesh(std::vector<glm::vec3> positions, std::vector<glm::vec3> normals,
               std::vector<uint32_t> indices, glm::u8vec4 colour, const glm::mat4& place = glm::mat4(1.0f)) {
        MeshLoader loader;
        loader.positions = std::move(positions);
        loader.normals = std::move(normals);
        loader.texCoords.assign(loader.positions.size(), glm::vec2(0.5f));
        loader.indices = std::move(indices);
        Mesh* made = new Mesh();
        made->buffers = loader.createBuffers();
        made->texture = solidTexture(colour);
        made->instanceTransforms = {place};
        made->instanceCount = 1;
        meshes.push_back(made);
        return made;
    }
    // A square of side 2 * half in the plane y = height, facing up.
    Mesh* floor(float half, float height, glm::u8vec4 colour) {
        return mesh(
            {{-half, height, -half}, {half, height, -half}, {half, height, half}, {-half, height, half}},
            std::vector<glm::vec3>(4, {0.0f, 1.0f, 0.0f}), {0, 2, 1, 0, 3, 2}, colour);
    }
    // A closed box standing on y = 0: x and z from -half to half, y from 0 to height.
    Mesh* box(float half, float height, glm::u8vec4 colour) {
        std::vector<glm::vec3> positions, normals;
        std::vector<uint32_t> indices;
        const glm::vec3 size(half, height * 0.5f, half);
        for (const auto& [normal, u, v] :
             {std::tuple<glm::vec3, glm::vec3, glm::vec3>{{1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
              {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
              {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
              {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
              {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
              {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}}}) {
            const glm::vec3 centre = glm::vec3(0.0f, height * 0.5f, 0.0f) + normal * size;
            const auto first = static_cast<uint32_t>(positions.size());
            for (const glm::vec2 corner :
                 {glm::vec2(-1, -1), glm::vec2(1, -1), glm::vec2(1, 1), glm::vec2(-1, 1)}) {
                positions.push_back(centre + corner.x * u * size + corner.y * v * size);
                normals.push_back(normal);
            }
            for (const uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u})
                indices.push_back(first + i);
        }
        return mesh(positions, normals, indices, colour);
    }
    // The object of a mesh with this frame's instances built.
    SceneObject* object(Mesh* of) {
        objects.push_back(std::make_unique<SceneObject>(of));
        objects.back()->update(0.0f);
        return objects.back().get();
    }
    void render(const std::vector<SceneObject*>& drawList) {
        renderer->render(camera, light, drawList, waterSurfaces, *skybox, *targets);
    }
    // The pixel under a world point as the camera sees it.
    Colour pixelAt(const glm::vec3& world) {
        const glm::vec4 clip = camera.projection * camera.view * glm::vec4(world, 1.0f);
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        return readPixel(int((ndc.x * 0.5f + 0.5f) * Width), int((ndc.y * 0.5f + 0.5f) * Height));
    }

    TempTree tree;
    ScopedWorkingDirectory inWork{tree.work()};
    std::unique_ptr<Renderer> renderer;
    Skybox* skybox = nullptr;
    WaterTargets* targets = nullptr;
    std::vector<WaterSurface> waterSurfaces;
    std::vector<Mesh*> meshes;
    std::vector<std::unique_ptr<SceneObject>> objects;
    Camera camera = [] {
        Camera c;
        c.position = glm::vec3(4.0f, 5.0f, 2.0f);
        c.view = glm::lookAt(c.position, glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
        c.projection = glm::perspective(glm::radians(60.0f), float(Width) / float(Height), 0.1f, 100.0f);
        return c;
    }();
    PointLight light = [] {
        PointLight l(glm::vec3(-3.0f, 2.0f, 0.0f), glm::vec3(1.0f), 1.0f, 0.0f, 0.0f);
        l.shadowCamera.projection = shadowProjection(25.0f);
        return l;
    }();
};

// A box on a white floor with the light to one side: the floor behind the box, away from the light, keeps
// only the ambient light (0.3 of white is about 77), the rest is lit. The object carrying the light (entry
// 0) throws no shadow. The frame leaves the state every pass promises.
TEST_F(RenderTest, ObjectsShadowTheFloorAwayFromTheLightButTheCarrierDoesNot) {
    SceneObject* ground = object(floor(5.0f, 0.0f, {255, 255, 255, 255}));
    SceneObject* block = object(box(0.5f, 1.0f, {255, 255, 255, 255}));
    const glm::vec3 shadowed[] = {{0.56f, 0.0f, 0.0f}, {2.0f, 0.0f, -0.2f}};
    const glm::vec3 lit[] = {{-2.0f, 0.0f, -2.0f}, {-0.8f, 0.0f, 1.0f}, {1.0f, 0.0f, 2.5f},
                             {-4.0f, 0.0f, 0.0f},  {3.0f, 0.0f, -3.0f}, {0.6f, 0.0f, 1.3f}};
    for (const bool carried : {false, true}) {
        render(carried ? std::vector<SceneObject*>{block, ground}
                       : std::vector<SceneObject*>{nullptr, ground, block});
        for (const glm::vec3& point : shadowed) {
            const int value = pixelAt(point).r;
            if (carried)
                EXPECT_GT(value, 140) << "the carrier shadows the floor at " << point.x << ", " << point.z;
            else
                EXPECT_TRUE(value > 60 && value < 95)
                    << "floor at " << point.x << ", " << point.z << ": " << value;
        }
        for (const glm::vec3& point : lit)
            EXPECT_GT(pixelAt(point).r, 140) << "floor at " << point.x << ", " << point.z;
    }
    EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);
    glActiveTexture(GL_TEXTURE1); // the next frame's water images are drawn unshadowed
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_CUBE_MAP), 0);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(glInteger(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(glInteger(GL_DEPTH_FUNC), GL_LESS);
    EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_CLIP_DISTANCE0));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, Width, Height}));
}

// The reflection image holds what lies above the water, even just above it, the refraction image what lies
// below it, each with its own depth test, and the camera's view comes back bit for bit.
TEST_F(RenderTest, TheWaterImagesSplitTheWorldAtTheWaterPlane) {
    SceneObject* above = object(box(1.0f, 0.5f, {255, 0, 0, 255})); // up to 1.17 above the water
    SceneObject* below = object(floor(20.0f, -2.0f, {0, 0, 255, 255}));
    // Green, above the water and beyond the red box from both cameras: drawn last, it must hide nothing.
    Mesh* beyond = box(1.0f, 3.0f, {0, 255, 0, 255});
    beyond->instanceTransforms = {glm::translate(glm::mat4(1.0f), glm::vec3(-3.0f, 0.0f, -1.5f))};
    const auto colours = [](GLuint texture, int width, int height) {
        std::vector<glm::u8vec3> pixels(size_t(width * height));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTextureImage(texture, 0, GL_RGB, GL_UNSIGNED_BYTE, GLsizei(pixels.size() * 3), pixels.data());
        int red = 0, blue = 0;
        for (const glm::u8vec3& p : pixels) {
            red += p.r > 60 && p.g < 30 && p.b < 30;
            blue += p.b > 60 && p.r < 30 && p.g < 30;
        }
        return std::make_pair(red, blue);
    };
    const glm::mat4 view = camera.view;
    render({nullptr, above, below});
    EXPECT_TRUE(camera.view == view);
    const auto [reflectedRed, reflectedBlue] = colours(targets->reflectionColour, 64, 48);
    const auto [refractedRed, refractedBlue] = colours(targets->refractionColour, 80, 40);
    EXPECT_GT(reflectedRed, 50);
    EXPECT_EQ(reflectedBlue, 0);
    EXPECT_EQ(refractedRed, 0);
    EXPECT_GT(refractedBlue, 50);

    render({nullptr, above, below, object(beyond)});
    EXPECT_EQ(colours(targets->reflectionColour, 64, 48).first, reflectedRed)
        << "the far box covers the near one";
}

// With flat maps and a dark light: the reflection image green in its upper half and red in its lower
// half, the refraction image blue. A point low in the picture takes its reflection from the upper half
// (the mirrored camera stands upright), deep water covers what was drawn behind it, and water with the
// ground right at its surface lets it show through, even where only one of the four depth texels around
// the point has that ground and the others hold nothing (the land the refraction image clipped away).
TEST_F(RenderTest, TheWaterSamplesTheReflectionFlippedAndFadesWhereTheGroundMeetsIt) {
    textureTable()["dudv.png"] = solidTexture({128, 128, 0, 255});
    textureTable()["normalmap.png"] = solidTexture({128, 128, 255, 255});
    waterSurfaces.emplace_back(floor(50.0f, WaterHeight, {0, 0, 0, 255}));
    waterSurfaces[0].update();
    camera = Camera(glm::vec3(0.0f, 5.0f, 12.0f), 1.0f);
    camera.refreshView();
    light.color = glm::vec3(0.0f);
    destroyWaterTargets(targets);
    targets = createWaterTargets(64, 64, 64, 64, 64, 64);
    // Two colours, lower and upper half, and a depth into a target.
    const auto clear = [](GLuint framebuffer, const glm::vec4& lower, const glm::vec4& upper, float depth) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glClearDepth(depth);
        glEnable(GL_SCISSOR_TEST);
        for (const auto& [colour, y] : {std::pair{lower, 0}, std::pair{upper, 32}}) {
            glScissor(0, y, 64, 32);
            glClearColor(colour.r, colour.g, colour.b, colour.a);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        }
        glDisable(GL_SCISSOR_TEST);
    };
    const auto drawWater = [&](float groundDepth) {
        clear(targets->reflectionFramebuffer, {1, 0, 0, 1}, {0, 1, 0, 1}, 1.0f);
        clear(targets->refractionFramebuffer, {0, 0, 1, 1}, {0, 0, 1, 1}, 1.0f);
        glEnable(GL_SCISSOR_TEST);
        glScissor(32, 16, 1, 1); // the texel under the pixel read
        glClearDepth(groundDepth);
        glClear(GL_DEPTH_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        clear(0, {1, 1, 1, 1}, {1, 1, 1, 1}, 1.0f); // what lies behind the water: white
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        renderer->waterPass->draw(camera, light, waterSurfaces[0], *targets);
        glDisable(GL_BLEND);
        return readPixel(32, 16);
    };
    glViewport(0, 0, 64, 64);
    const Colour deep = drawWater(1.0f);
    EXPECT_GT(deep.g, deep.r + 40) << "reflection taken from the wrong half: " << describe(deep);
    EXPECT_GT(deep.b, 40) << "no refraction in the mix: " << describe(deep);
    EXPECT_LT(deep.r, 100) << "the white background shows through deep water: " << describe(deep);
    // The depth the water itself has at the pixel read: the ground right at its surface.
    const auto alongRay = [&](float depth) {
        return glm::unProject({32.5f, 16.5f, depth}, camera.view, camera.projection, glm::vec4(0, 0, 64, 64));
    };
    const glm::vec3 nearPoint = alongRay(0.0f), farPoint = alongRay(1.0f);
    const glm::vec3 atSurface =
        glm::mix(nearPoint, farPoint, (WaterHeight - nearPoint.y) / (farPoint.y - nearPoint.y));
    const glm::vec4 clip = camera.projection * camera.view * glm::vec4(atSurface, 1.0f);
    const Colour dry = drawWater(clip.z / clip.w * 0.5f + 0.5f);
    EXPECT_TRUE(near(dry, Colour(255, 255, 255, 255))) << "water without depth is clear: " << describe(dry);
    glClearDepth(1.0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glDeleteTextures(1, &textureTable()["dudv.png"]);
    glDeleteTextures(1, &textureTable()["normalmap.png"]);
    textureTable().clear();
}

// Six faces of six colours, loaded by name from the resource tree. Looking along -z the -z face shows;
// a quarter turn of the sky about +y brings the +x face there; anything drawn keeps the sky out.
TEST_F(RenderTest, TheSkyShowsTheFaceInViewTurnedWithItsModelAndOnlyWhereNothingWasDrawn) {
    const char* const names[6] = {"starfield_rt.JPG", "starfield_lf.JPG", "starfield_up.JPG",
                                  "starfield_dn.JPG", "starfield_bk.JPG", "starfield_ft.JPG"};
    const glm::u8vec4 colours[6] = {{255, 0, 0, 255},   {0, 255, 0, 255},   {0, 0, 255, 255},
                                    {255, 255, 0, 255}, {0, 255, 255, 255}, {255, 0, 255, 255}};
    for (int i = 0; i < 6; ++i)
        writeSolidImage(tree.textures() / names[i], colours[i]);
    destroySkybox(skybox);
    skybox = createSkybox();
    camera = Camera(glm::vec3(0.0f, 0.0f, 5.0f), float(Width) / float(Height));
    camera.refreshView();

    render({nullptr});
    EXPECT_TRUE(near(readPixel(Width / 2, Height / 2), Colour(colours[5])))
        << describe(readPixel(Width / 2, Height / 2));
    skybox->updateRotation(glm::half_pi<float>() / 0.2f); // the sky turns at 0.2 radians per second
    render({nullptr});
    EXPECT_TRUE(near(readPixel(Width / 2, Height / 2), Colour(colours[0])))
        << describe(readPixel(Width / 2, Height / 2));
    Mesh* wall = mesh({{-50, -50, -40}, {50, -50, -40}, {50, 50, -40}, {-50, 50, -40}},
                      std::vector<glm::vec3>(4, {0, 0, 1}), {0, 1, 2, 0, 2, 3}, {0, 200, 0, 255});
    render({nullptr, object(wall)});
    const Colour wallPixel = readPixel(Width / 2, Height / 2);
    EXPECT_GT(wallPixel.g, wallPixel.r + 50) << "the sky covers what was drawn: " << describe(wallPixel);
}

// Particles are quads turned towards the camera from whatever side it looks, their faint rim drawn and
// their fainter halo dropped.
TEST_F(RenderTest, BillboardsFaceTheCameraAndDropOnlyTheirFaintestTexels) {
    ParticleLoader loader;
    loader.positions = {{-0.5f, -0.5f, 0.0f}, {0.5f, -0.5f, 0.0f}, {0.5f, 0.5f, 0.0f}, {-0.5f, 0.5f, 0.0f}};
    loader.texCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    loader.indices = {0, 1, 2, 0, 2, 3};
    Mesh* plane = new Mesh();
    plane->buffers = loader.createBuffers();
    meshes.push_back(plane);
    // An opaque middle, a faint rim (alpha 0.3), a fainter halo (0.1) and a clear border.
    std::vector<glm::u8vec4> spark(16 * 16, glm::u8vec4(255, 200, 0, 0));
    for (int y = 1; y < 15; ++y)
        for (int x = 1; x < 15; ++x) {
            const int ring =
                std::min({x - 1, y - 1, 14 - x, 14 - y}); // 0 at the halo, 3 and up in the middle
            spark[size_t(y * 16 + x)].a = ring >= 3 ? 255 : ring >= 1 ? 77 : 26;
        }
    plane->texture = texture(16, 16, spark.data());
    ParticleEmitter emitter(plane, 100, 20, 1.0f);
    emitter.instances = {glm::scale(glm::mat4(1.0f), glm::vec3(3.0f))};

    for (const glm::vec3& eye :
         {glm::vec3(5.0f, 0.0f, 0.0f), glm::vec3(0.0f, 0.0f, 5.0f), glm::vec3(-3.0f, 4.0f, 0.0f)}) {
        camera = Camera(eye, float(Width) / float(Height));
        camera.refreshView();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderer->billboardPass->draw(camera, emitter);
        // 3 units at a distance of 5 cover +-64 pixels of this window, a texel 8: the middle and the rim
        // are drawn, the halo dropped, leaving colour and depth as they were.
        for (const auto& [offset, drawn] : {std::pair{0, true}, {40, true}, {-41, true}, {51, false}}) {
            const Colour pixel = readPixel(Width / 2 + offset, Height / 2);
            float depth = 0.0f;
            glReadPixels(Width / 2 + offset, Height / 2, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
            EXPECT_TRUE(near(pixel, drawn ? Colour(255, 200, 0, 255) : Colour(0, 0, 0, 255)))
                << "from " << eye.x << ", " << eye.y << ", " << eye.z << " at " << offset << ": "
                << describe(pixel);
            EXPECT_EQ(depth < 1.0f, drawn) << offset;
        }
    }
}

// Turned an eighth about z, then stretched four times along y, a box's +x face stands steep and faces
// nearly along +x, square to a light on that side; normals taken through the model matrix itself would
// lean up the stretched axis, away from the light.
TEST_F(RenderTest, NormalsStayPerpendicularUnderANonUniformScale) {
    Mesh* stretched = box(0.5f, 1.0f, {255, 255, 255, 255});
    stretched->instanceTransforms = {
        glm::scale(glm::mat4(1.0f), glm::vec3(1.0f, 4.0f, 1.0f)) *
        glm::rotate(glm::mat4(1.0f), glm::quarter_pi<float>(), glm::vec3(0, 0, 1))};
    const glm::vec3 faceCentre(0.0f, 2.0f * glm::root_two<float>(), 0.0f);
    light.position = faceCentre + glm::vec3(6.0f, 0.0f, 0.0f);
    camera.position = faceCentre + glm::vec3(5.0f, 0.0f, 3.0f);
    camera.view = glm::lookAt(camera.position, faceCentre, glm::vec3(0.0f, 1.0f, 0.0f));
    render({object(stretched)});
    EXPECT_GT(pixelAt(faceCentre).r, 220) << "the face square to the light is dim";
}

// F1 to F5: the pass is rebuilt from the files as they are now; a broken file is reported, the pass draws
// nothing until it is mended and rebuilt again.
TEST_F(RenderTest, FunctionKeysRebuildTheirPassFromTheFilesOnDisk) {
    const char* const files[] = {"Phong.frag", "Billboard.frag", "Water.frag", "Shadow.geom",
                                 "Debugger.frag"};
    for (int32_t pass = 1; pass <= 5; ++pass) {
        const std::string file = files[pass - 1], name = file.substr(0, file.find('.'));
        const auto program = [&] {
            const ShaderProgram* programs[] = {renderer->phongPass->program, renderer->billboardPass->program,
                                               renderer->waterPass->program, renderer->shadowPass->program,
                                               renderer->debugPass->program};
            return programs[pass - 1];
        };
        const std::string good = readFile(tree.shaders() / file);
        for (const bool broken : {true, false}) {
            std::ofstream(tree.shaders() / file)
                << (broken ? "#version 450 core\nvoid main() { nonsense; }\n" : good);
            appState().reloadRequested = true;
            appState().reloadPass = pass;
            CoutCapture output;
            render({nullptr});
            acceptCompilerMessages(output.text());
            EXPECT_FALSE(appState().reloadRequested);
            EXPECT_EQ(program() == nullptr, broken) << name;
            const std::string path = ShaderDirectory + file;
            EXPECT_EQ(output.text().rfind("COMPILER ERROR:" + path, 0) == 0, broken) << output.text();
            EXPECT_EQ(output.text().find("DELETING ERRONEOUS SHADER: " + name + "\n") != std::string::npos,
                      broken);
        }
    }
}

} // namespace
