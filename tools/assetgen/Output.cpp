#include "Output.h"

#include <fstream>
#include <iostream>

namespace fs = std::filesystem;

Output::Output(const fs::path& root) : textures_(root / "Textures"), meshes_(root / "Meshes") {
    std::error_code error;
    fs::create_directories(textures_, error);
    fs::create_directories(meshes_, error);
}

void Output::texture(const std::string& file, const Image& image, bool withAlpha, bool listed) {
    const fs::path path = textures_ / file;
    finish(path, savePng(image, path.string(), withAlpha));
    std::cout << "    " << image.width << " x " << image.height << (withAlpha ? " RGBA" : " RGB")
              << std::endl;
    if (listed)
        textureList_.push_back(file);
}

void Output::skyFace(const std::string& file, const Image& image) {
    const fs::path path = textures_ / file;
    finish(path, saveJpeg(image, path.string(), 90));
}

void Output::collada(const std::string& file, const TriMesh& mesh, const std::string& name,
                     const std::string& texture, const std::vector<Instance>& instances, bool listed) {
    writeText(meshes_ / file, colladaText(mesh, name, texture, instances));
    describeModel(mesh, instances);
    if (listed)
        meshList_.push_back(file);
}

void Output::obj(const std::string& file, const TriMesh& mesh, const std::string& objectName,
                 const std::string& texture, bool listed) {
    const std::string library = fs::path(file).stem().string() + ".mtl";
    writeText(meshes_ / file, objText(mesh, objectName, library));
    writeText(meshes_ / library, mtlText(objectName, texture));
    describeModel(mesh, {{objectName, glm::dmat4(1.0)}});
    if (listed)
        meshList_.push_back(file);
}

void Output::writeLists() {
    std::string textures, meshes;
    for (const std::string& name : textureList_)
        textures += name + "\n";
    for (const std::string& name : meshList_)
        meshes += name + "\n";
    writeText(textures_ / "Textures", textures);
    writeText(meshes_ / "Meshes", meshes);
}

void Output::writeText(const fs::path& path, const std::string& content) {
    // Binary mode: the files end lines with a bare newline on every platform.
    std::ofstream out(path, std::ios::binary);
    out << content;
    out.close();
    finish(path, static_cast<bool>(out));
}

// The node tree and extent of a model, for whoever checks how the scene is laid out.
void Output::describeModel(const TriMesh& mesh, const std::vector<Instance>& instances) {
    glm::dvec3 low(1e30), high(-1e30);
    for (const glm::dvec3& p : mesh.positions) {
        low = glm::min(low, p);
        high = glm::max(high, p);
    }
    std::cout << "    " << mesh.triangleCount() << " triangles, " << mesh.vertexCount()
              << " vertices, bounds (" << formatNumber(low.x, 3) << ", " << formatNumber(low.y, 3) << ", "
              << formatNumber(low.z, 3) << ") to (" << formatNumber(high.x, 3) << ", "
              << formatNumber(high.y, 3) << ", " << formatNumber(high.z, 3) << ")" << std::endl;
    for (const Instance& instance : instances) {
        const glm::dvec3 t(instance.transform[3]);
        std::cout << "    node " << instance.name << " at (" << formatNumber(t.x, 3) << ", "
                  << formatNumber(t.y, 3) << ", " << formatNumber(t.z, 3) << ")" << std::endl;
    }
}

void Output::finish(const fs::path& path, bool written) {
    if (!written) {
        std::cout << "CANNOT WRITE " << path.string() << std::endl;
        ok_ = false;
        return;
    }
    std::error_code error;
    std::cout << path.filename().string() << ": " << fs::file_size(path, error) << " bytes" << std::endl;
}
