#include "assets/ResourceCatalogue.h"

#include <iostream>

namespace {

// Both loaders live from the first mesh catalogue load to the end of the process; their working arrays
// are reused from file to file.
MeshLoader& modelLoader() {
    static MeshLoader loader;
    return loader;
}

ParticleLoader& particleLoader() {
    static ParticleLoader loader;
    return loader;
}

// The table keeps the first entry under a name; checking before loading spares the work of loading a
// repeated name only to drop (and leak) the result.
template <typename Table> bool present(const Table& table, const std::string& name) {
    return table.find(name) != table.end();
}

} // namespace

void loadTextureCatalogue(const std::string& listName, const std::string& directory) {
    for (const std::string& name : readResourceList(listName, directory)) {
        if (present(textureTable(), name))
            continue;
        const Texture texture = loadTexture(directory, name);
        if (texture != 0) // a failure has printed its own line
            textureTable().emplace(name, texture);
    }
}

void loadMeshCatalogue(const std::string& listName, const std::string& directory) {
    MeshLoader& loader = modelLoader();
    for (const std::string& name : readResourceList(listName, directory)) {
        if (present(meshTable(), name))
            continue;
        if (Mesh* mesh = loader.loadMesh(name, directory)) {
            meshTable().emplace(name, mesh);
        } else {
            std::cout << name << " IS NULL" << std::endl;
            noteFailedMesh(name);
        }
    }
    if (!present(meshTable(), "quad"))
        meshTable().emplace("quad", loader.createQuad());
    // A list that names "plane.obj" itself keeps its own mesh there. A plane that fails to load has
    // printed its line and leaves the key absent, so findMesh gives null as for any missing mesh.
    if (!present(meshTable(), ParticleMeshName)) {
        if (Mesh* plane = particleLoader().loadMesh(ParticleMeshName, directory))
            meshTable().emplace(ParticleMeshName, plane);
        else
            noteFailedMesh(ParticleMeshName);
    }
}
