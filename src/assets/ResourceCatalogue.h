#pragma once

#include "assets/Mesh.h"
#include "assets/Texture.h"

#include <map>
#include <string>
#include <vector>

// The process-wide name-keyed tables. They own every texture and mesh from insertion until release;
// keys compare byte by byte. Insertion never replaces an existing entry.
std::map<std::string, Texture>& textureTable();
std::map<std::string, Mesh*>& meshTable();

// One entry name per line of directory + listName, in file order. A missing list file is fatal.
std::vector<std::string> readResourceList(const std::string& listName, const std::string& directory);

// The particle plane, which no list names: the catalogue adds it from the mesh directory.
constexpr const char* ParticleMeshName = "plane.obj";

void loadTextureCatalogue(const std::string& listName, const std::string& directory);
// The listed meshes, then "quad" and the particle plane "plane.obj".
void loadMeshCatalogue(const std::string& listName, const std::string& directory);

Texture findTexture(const std::string& name); // 0 when absent
Mesh* findMesh(const std::string& name);      // null when absent
// A mesh the catalogue tried to load and could not, and has reported: the scene need not name it again.
void noteFailedMesh(const std::string& name);
bool meshFailedToLoad(const std::string& name);

void releaseTextures();
void releaseMeshes();
