#include "assets/ResourceCatalogue.h"

#include <GL/glew.h>

// The tables only; filling them from the list files lives in ResourceCatalogue.cpp, so that the mesh
// loader can look textures up without depending on the code that drives it.

std::map<std::string, Texture>& textureTable() {
    static std::map<std::string, Texture> table;
    return table;
}

std::map<std::string, Mesh*>& meshTable() {
    static std::map<std::string, Mesh*> table;
    return table;
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
}
