#pragma once

#include <assimp/IOSystem.hpp>

// Every file the model library opens for an import (the model, and whatever it names: an OBJ's material
// library, say) is opened as the engine opens its own (openRegularFile): anything but a regular file is
// missing to the library, so a material file that is a FIFO is skipped like an absent one instead of
// blocking the import for ever. An importer takes ownership of the one it is given.
class RegularFileSystem : public Assimp::IOSystem {
  public:
    bool Exists(const char* path) const override;
    char getOsSeparator() const override;
    // Reading only; a mode that writes gets nothing.
    Assimp::IOStream* Open(const char* path, const char* mode) override;
    void Close(Assimp::IOStream* stream) override;
};
