#pragma once

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

// A throw-away folder laid out like the repository: Resources/{Shaders,Textures,Meshes} and a working
// folder "work" beside them, so that "../Resources/..." resolves from inside it. Removed on destruction.
class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path work() const { return root_ / "work"; }
    std::filesystem::path shaders() const { return root_ / "Resources" / "Shaders"; }
    std::filesystem::path textures() const { return root_ / "Resources" / "Textures"; }
    std::filesystem::path meshes() const { return root_ / "Resources" / "Meshes"; }

    // Writes a file below root(), creating folders as needed.
    void write(const std::filesystem::path& relative, const std::string& content) const;
    // Copies the repository's Resources/<sub> (for example "Shaders") into this tree.
    void copyFromRepository(const std::string& sub) const;

  private:
    std::filesystem::path root_;
};

// Changes the working directory for its lifetime.
class ScopedWorkingDirectory {
  public:
    explicit ScopedWorkingDirectory(const std::filesystem::path& directory);
    ~ScopedWorkingDirectory();
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

  private:
    std::filesystem::path previous_;
};

std::filesystem::path repositoryRoot();
std::string readFile(const std::filesystem::path& path); // the whole file, byte for byte

// A test that runs the real program in a copy of the repository's resources.
class RepositoryCopyTest : public ::testing::Test {
  protected:
    void SetUp() override { tree.copyFromRepository("."); }
    TempTree tree;
};
