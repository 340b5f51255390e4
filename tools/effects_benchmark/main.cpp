// What the water, the sparks and the sky cost in the demo's own frame, and what each shader choice in
// them costs, measured on the real scene at the glowing orb (red light, sparks in the air).
//
//   effects_benchmark [WIDTH HEIGHT | fullscreen] [ROUNDS]
//
// The window has 4 samples like the demo's; "fullscreen" takes the primary monitor's mode (1920 x 1080
// under the scripts' Xvfb). Every variant folder below scripts/shader-variants holds shader files that
// replace the committed ones of one pass. Each round draws, for the committed shaders and then for each
// variant in turn, one whole frame and then the affected pass once more on its own over the finished
// frame (same depth test, so the same pixels pass), each timed from submission to glFinish. The
// variants are interleaved round by round and compared pair by pair with the committed shaders of the
// same round, so that load from other processes on the machine falls on both sides of a difference.
// Needs a display (run under xvfb-run without one).

#include "app/AppState.h"
#include "render/BillboardPass.h"
#include "render/Renderer.h"
#include "render/SkyboxPass.h"
#include "render/WaterPass.h"
#include "scene/Scene.h"
#include "scene/SceneUpdate.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

template <typename Work> double timed(Work work) {
    glFinish();
    const Clock::time_point start = Clock::now();
    work();
    glFinish();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

std::string ms(double milliseconds) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << milliseconds << " ms";
    return text.str();
}

std::string signedMs(double milliseconds) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << std::showpos << milliseconds << " ms";
    return text.str();
}

GLFWwindow* createWindow(bool fullscreen, int& width, int& height) {
    if (!glfwInit())
        return nullptr;
    GLFWmonitor* monitor = fullscreen ? glfwGetPrimaryMonitor() : nullptr;
    if (monitor) {
        const GLFWvidmode* mode = glfwGetVideoMode(monitor);
        width = mode->width;
        height = mode->height;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 5);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_SAMPLES, 4);
    GLFWwindow* window = glfwCreateWindow(width, height, "effects benchmark", monitor, nullptr);
    if (!window)
        return nullptr;
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    return glewInit() == GLEW_OK ? window : nullptr;
}

// A scratch resource tree laid out like the repository's, with its own copy of the shader files so that
// a variant's files can replace some of them: <root>/work is the working folder.
fs::path makeTree(const fs::path& root, const fs::path& resources, const fs::path& overlay) {
    fs::create_directories(root / "work");
    fs::create_directories(root / "Resources");
    fs::create_directory_symlink(resources / "Textures", root / "Resources" / "Textures");
    fs::create_directory_symlink(resources / "Meshes", root / "Resources" / "Meshes");
    fs::copy(resources / "Shaders", root / "Resources" / "Shaders", fs::copy_options::recursive);
    if (!overlay.empty())
        fs::copy(overlay, root / "Resources" / "Shaders",
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    return root / "work";
}

enum class PassKind { Water, Billboard, Skybox };

const char* passName(PassKind kind) {
    switch (kind) {
    case PassKind::Water:
        return "water";
    case PassKind::Billboard:
        return "sparks";
    case PassKind::Skybox:
        return "sky";
    }
    return "?";
}

// One replaced pass, built from a variant folder's files.
struct Variant {
    std::string name;
    PassKind kind;
    std::unique_ptr<WaterPass> water;
    std::unique_ptr<BillboardPass> billboard;
    std::unique_ptr<SkyboxPass> skybox;
    std::vector<double> framePairs; // whole frame, variant minus committed, per round
    std::vector<double> passPairs;  // the pass alone, variant minus committed, per round
};

bool buildVariant(Variant& variant, const fs::path& folder, const fs::path& scratch,
                  const fs::path& resources) {
    const fs::path work = makeTree(scratch / "variants" / variant.name, resources, folder);
    const fs::path home = fs::current_path();
    fs::current_path(work);
    bool built = false;
    if (fs::exists(folder / "Water.frag") || fs::exists(folder / "Water.vert")) {
        variant.kind = PassKind::Water;
        variant.water = std::make_unique<WaterPass>();
        built = variant.water->program != nullptr;
    } else if (fs::exists(folder / "Billboard.frag") || fs::exists(folder / "Billboard.vert")) {
        variant.kind = PassKind::Billboard;
        variant.billboard = std::make_unique<BillboardPass>();
        built = variant.billboard->program != nullptr;
    } else if (fs::exists(folder / "Skybox.frag") || fs::exists(folder / "Skybox.vert")) {
        variant.kind = PassKind::Skybox;
        variant.skybox = std::make_unique<SkyboxPass>();
        built = variant.skybox->program != nullptr;
    }
    fs::current_path(home);
    return built;
}

// Exchanges the variant's pass with the renderer's; called again, it puts the committed one back.
void exchange(Renderer& renderer, Variant& variant) {
    if (variant.water)
        std::swap(renderer.waterPass, variant.water);
    if (variant.billboard)
        std::swap(renderer.billboardPass, variant.billboard);
    if (variant.skybox)
        std::swap(renderer.skyboxPass, variant.skybox);
}

double drawFrame(Scene& scene) {
    float still = 0.0f; // the world stands still while the shaders are compared
    updateScene(scene, still);
    return timed([&] {
        scene.renderer->render(scene.camera, *scene.currentLight, scene.drawList, scene.waterSurfaces,
                               *scene.skybox, *scene.waterTargets);
    });
}

// The pass once more over the finished frame. LEQUAL lets exactly the pixels through that the frame
// gave it, since it already wrote its own depth there.
double drawPassAgain(Scene& scene, PassKind kind) {
    Renderer& renderer = *scene.renderer;
    glDepthFunc(GL_LEQUAL);
    const double elapsed = timed([&] {
        switch (kind) {
        case PassKind::Water:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            for (WaterSurface& surface : scene.waterSurfaces)
                renderer.waterPass->draw(scene.camera, *scene.currentLight, surface, *scene.waterTargets);
            glDisable(GL_BLEND);
            break;
        case PassKind::Billboard:
            if (scene.drawList[0] && scene.drawList[0]->emitter)
                renderer.billboardPass->draw(scene.camera, *scene.drawList[0]->emitter);
            break;
        case PassKind::Skybox:
            renderer.skyboxPass->draw(scene.camera, *scene.skybox);
            break;
        }
    });
    glDepthFunc(GL_LESS);
    return elapsed;
}

} // namespace

int main(int argc, char** argv) {
    bool fullscreen = false;
    int width = 1280, height = 720, rounds = 15;
    int next = 1;
    if (argc > next && std::string(argv[next]) == "fullscreen") {
        fullscreen = true;
        ++next;
    } else if (argc > next + 1) {
        width = std::atoi(argv[next]);
        height = std::atoi(argv[next + 1]);
        next += 2;
    }
    if (argc > next)
        rounds = std::max(1, std::atoi(argv[next]));
    const fs::path resources = DEMO_RESOURCES_DIR;
    const fs::path variantsFolder = DEMO_VARIANTS_DIR;

    GLFWwindow* window = createWindow(fullscreen, width, height);
    if (!window) {
        std::cout << "no OpenGL 4.5 core window (run under xvfb-run without a display)" << std::endl;
        return 1;
    }
    std::string pattern = (fs::temp_directory_path() / "effects-benchmark-XXXXXX").string();
    const fs::path scratch = mkdtemp(pattern.data());
    const fs::path home = fs::current_path();
    fs::current_path(makeTree(scratch / "committed", resources, {}));

    std::cout << "effects benchmark: " << width << " x " << height << ", 4 samples, " << rounds << " rounds, "
              << glGetString(GL_RENDERER) << std::endl;
    {
        Scene scene(width, height);
        // The orb's glow stage, 23 s in: red light, sparks in the air and in the reflection.
        for (int frame = 0; frame < 230; ++frame) {
            float step = 0.1f;
            updateScene(scene, step);
        }
        for (int frame = 0; frame < 3; ++frame) // compiles every program's machine code before timing
            drawFrame(scene);

        std::vector<Variant> variants;
        std::vector<fs::path> folders;
        for (const auto& entry : fs::directory_iterator(variantsFolder))
            if (entry.is_directory())
                folders.push_back(entry.path());
        std::sort(folders.begin(), folders.end());
        for (const fs::path& folder : folders) {
            Variant variant{folder.filename().string(), PassKind::Water, nullptr, nullptr, nullptr, {}, {}};
            if (buildVariant(variant, folder, scratch, resources))
                variants.push_back(std::move(variant));
            else
                std::cout << "variant " << folder.filename() << " did not build; left out" << std::endl;
        }

        std::vector<double> frames, water, sparks, sky;
        for (int round = 0; round < rounds; ++round) {
            const double frame = drawFrame(scene);
            frames.push_back(frame);
            const double committed[3] = {drawPassAgain(scene, PassKind::Water),
                                         drawPassAgain(scene, PassKind::Billboard),
                                         drawPassAgain(scene, PassKind::Skybox)};
            water.push_back(committed[0]);
            sparks.push_back(committed[1]);
            sky.push_back(committed[2]);
            for (Variant& variant : variants) {
                exchange(*scene.renderer, variant);
                const double variantFrame = drawFrame(scene);
                const double variantPass = drawPassAgain(scene, variant.kind);
                exchange(*scene.renderer, variant);
                variant.framePairs.push_back(variantFrame - frame);
                variant.passPairs.push_back(variantPass - committed[static_cast<int>(variant.kind)]);
            }
            glfwPollEvents();
        }

        std::cout << "committed shaders (median of " << rounds << " rounds):" << std::endl;
        std::cout << "  whole frame (no swap)  " << ms(median(frames)) << std::endl;
        std::cout << "  water surface alone    " << ms(median(water)) << std::endl;
        std::cout << "  sparks alone           " << ms(median(sparks)) << std::endl;
        std::cout << "  sky alone              " << ms(median(sky)) << std::endl;
        std::cout << "variants, change against the committed shaders (median of the paired differences):"
                  << std::endl;
        for (const Variant& variant : variants)
            std::cout << "  " << std::left << std::setw(22) << variant.name << std::right << " "
                      << std::setw(7) << passName(variant.kind) << " alone " << std::setw(10)
                      << signedMs(median(variant.passPairs)) << "   whole frame " << std::setw(10)
                      << signedMs(median(variant.framePairs)) << std::endl;
        variants.clear(); // their programs go while the context is still current
    }
    fs::current_path(home);
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
