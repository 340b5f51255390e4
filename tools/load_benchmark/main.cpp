// Measures what users wait through at start-up: loading the texture and mesh catalogues.
//
//   load_benchmark [RESOURCES_DIR] [ROUNDS]
//
// RESOURCES_DIR holds Textures/Textures, Meshes/Meshes and the files they name (default: the
// repository's Resources). Each round loads both catalogues exactly as the engine does and releases
// them again; the first round also pays for cold file caches. A last pass loads every file on its own,
// to show which ones cost the most. Needs a display (run under xvfb-run without one).

#include "assets/ResourceCatalogue.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// glFinish makes the driver's share of an upload count with the load that caused it.
template <typename Work> double timed(Work work) {
    const Clock::time_point start = Clock::now();
    work();
    glFinish();
    return millisecondsSince(start);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

std::string format(double milliseconds) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << milliseconds << " ms";
    return text.str();
}

GLFWwindow* createHiddenContext() {
    if (!glfwInit())
        return nullptr;
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 5);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(64, 64, "load benchmark", nullptr, nullptr);
    if (window == nullptr)
        return nullptr;
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    return glewInit() == GLEW_OK ? window : nullptr;
}

struct Round {
    double textureMs = 0, meshMs = 0;
    size_t textures = 0, meshes = 0;
};

Round loadCatalogues(const std::string& textureDirectory, const std::string& meshDirectory) {
    Round round;
    round.textureMs = timed([&] { loadTextureCatalogue("Textures", textureDirectory); });
    round.meshMs = timed([&] { loadMeshCatalogue("Meshes", meshDirectory); });
    round.textures = textureTable().size();
    round.meshes = meshTable().size();
    releaseTextures();
    releaseMeshes();
    return round;
}

void printPerFile(const std::string& textureDirectory, const std::string& meshDirectory) {
    std::cout << "each file on its own:" << std::endl;
    for (const std::string& name : readResourceList("Textures", textureDirectory)) {
        Texture texture = 0;
        const double ms = timed([&] { texture = loadTexture(textureDirectory, name); });
        glDeleteTextures(1, &texture);
        std::cout << "  texture " << std::setw(10) << format(ms) << "  " << name << std::endl;
    }
    MeshLoader loader;
    for (const std::string& name : readResourceList("Meshes", meshDirectory)) {
        Mesh* mesh = nullptr;
        const double ms = timed([&] { mesh = loader.loadMesh(name, meshDirectory); });
        const int32_t indices = mesh != nullptr ? mesh->buffers->indexCount : 0;
        destroyMesh(mesh);
        std::cout << "  mesh    " << std::setw(10) << format(ms) << "  " << name << " (" << indices / 3
                  << " triangles)" << std::endl;
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string resources = argc > 1 ? argv[1] : DEMO_RESOURCES_DIR;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string textureDirectory = resources + "/Textures/";
    const std::string meshDirectory = resources + "/Meshes/";

    GLFWwindow* window = createHiddenContext();
    if (window == nullptr) {
        std::cout << "no OpenGL 4.5 core context (run under xvfb-run without a display)" << std::endl;
        return 1;
    }
    std::cout << "resources: " << resources << std::endl;
    std::cout << "renderer: " << glGetString(GL_RENDERER) << std::endl;

    std::vector<double> textureMs, meshMs;
    Round round;
    for (int i = 0; i < rounds; ++i) {
        round = loadCatalogues(textureDirectory, meshDirectory);
        textureMs.push_back(round.textureMs);
        meshMs.push_back(round.meshMs);
        std::cout << "round " << i + 1 << ": textures " << format(round.textureMs) << ", meshes "
                  << format(round.meshMs) << std::endl;
    }
    // The mesh count includes the quad and the particle plane, which the catalogue adds itself.
    const double textureMedian = median(textureMs), meshMedian = median(meshMs);
    std::cout << "textures: " << round.textures << " loaded in " << format(textureMedian) << " (median of "
              << rounds << "), " << format(round.textures > 0 ? textureMedian / round.textures : 0.0)
              << " per texture" << std::endl;
    std::cout << "meshes: " << round.meshes << " loaded in " << format(meshMedian) << " (median of " << rounds
              << "), " << format(round.meshes > 0 ? meshMedian / round.meshes : 0.0) << " per mesh"
              << std::endl;

    printPerFile(textureDirectory, meshDirectory);
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
