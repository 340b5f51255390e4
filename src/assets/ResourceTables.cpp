#include "assets/ResourceCatalogue.h"

#include <GL/glew.h>
#include <set>

// The tables only; filling them from the list files lives in ResourceCatalogue.cpp, so that the mesh
// loader can look textures up without depending on the code that drives it.
//
// The tables are created on first use and never destroyed: the process can end through exit (a fatal
// error, a lost display) while a scene still borrows their entries, and a static destructor must not pull
// them away from under it. Their entries are released by releaseTextures and releaseMeshes alone.

std::map<std::string, Texture>& textureTable() {
    static auto* const table = new std::map<std::string, Texture>;
    return *table;
}

std::map<std::string, Mesh*>& meshTable() {
    static auto* const table = new std::map<std::string, Mesh*>;
    return *table;
}

namespace {

// Names of meshes that could not be loaded: the scene names a missing model only when nobody has.
std::set<std::string>& failedMeshes() {
    static auto* const names = new std::set<std::string>;
    return *names;
}

} // namespace

void noteFailedMesh(const std::string& name) {
    failedMeshes().insert(name);
}

bool meshFailedToLoad(const std::string& name) {
    return failedMeshes().count(name) != 0;
}

Texture findTexture(const std::string& name) {
    const auto found = textureTable().find(name);
    return found != textureTable().end() ? found->second : 0;
}

Mesh* findMesh(const std::string& name) {
    const auto found = meshTable().find(name);
    return found != meshTable().end() ? found->second : nullptr;
}

void releaseTextures() {
    for (const auto& [name, texture] : textureTable())
        glDeleteTextures(1, &texture);
    // Emptied so that no dead name can be found and a later catalogue load starts afresh.
    textureTable().clear();
}

void releaseMeshes() {
    for (const auto& [name, mesh] : meshTable())
        destroyMesh(mesh);
    meshTable().clear();
    failedMeshes().clear();
}
