#pragma once

#include "Image.h"
#include "ModelWriters.h"
#include "TriMesh.h"

#include <filesystem>
#include <string>
#include <vector>

// Writes the resource tree: images into <root>/Textures, models into <root>/Meshes, and at the end
// the two list files naming every listed file in the order it was written. Keeps going after a failed
// write so that one run reports every problem; ok() tells whether all went well.
class Output {
  public:
    explicit Output(const std::filesystem::path& root);

    // A 2D texture; listed ones go into the texture list.
    void texture(const std::string& file, const Image& image, bool withAlpha, bool listed = true);
    // A sky-box face: not listed, the sky box loads it by its fixed name.
    void skyFace(const std::string& file, const Image& image);
    void collada(const std::string& file, const TriMesh& mesh, const std::string& name,
                 const std::string& texture, const std::vector<Instance>& instances, bool listed = true);
    // An OBJ with its material library "<stem>.mtl"; the object is placed where it stands.
    void obj(const std::string& file, const TriMesh& mesh, const std::string& objectName,
             const std::string& texture, bool listed = true);
    void writeLists();

    bool ok() const { return ok_; }

  private:
    void writeText(const std::filesystem::path& path, const std::string& content);
    void describeModel(const TriMesh& mesh, const std::vector<Instance>& instances);
    void finish(const std::filesystem::path& path, bool written);

    std::filesystem::path textures_;
    std::filesystem::path meshes_;
    std::vector<std::string> textureList_;
    std::vector<std::string> meshList_;
    bool ok_ = true;
};
