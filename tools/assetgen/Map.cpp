#include "Scene.h"
#include "Terrain.h"

void writeMap(Output& out) {
    out.texture("terrain.png", terrain::paint(1024), false);
    out.collada("map.dae", terrain::buildMesh(64), "Island", "terrain.png", {{"Island", glm::dmat4(1.0)}});
}
