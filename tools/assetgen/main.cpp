// assetgen: writes the demo's resource tree (images, models, list files) from code alone.
//
//   assetgen <resources folder>
//
// fills <folder>/Textures and <folder>/Meshes. Every shape and picture comes from fixed seeds and
// fixed arithmetic, so two runs write the same files; scripts/generate-assets runs it into Resources/.
#include "Output.h"
#include "Scene.h"

#include <FreeImage.h>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cout << "usage: assetgen <resources folder>" << std::endl;
        return 2;
    }
    FreeImage_Initialise();
    Output out(argv[1]);
    writeMap(out);
    writeWater(out);
    writeHouse(out);
    writeBridge(out);
    writeMonkeys(out);
    writeEffects(out);
    writeStarfield(out);
    out.writeLists();
    FreeImage_DeInitialise();
    return out.ok() ? 0 : 1;
}
