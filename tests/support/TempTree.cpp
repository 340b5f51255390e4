#include "TempTree.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempTree::TempTree() {
    std::string pattern = (fs::temp_directory_path() / "demo-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    fs::create_directories(work());
    fs::create_directories(shaders());
    fs::create_directories(textures());
    fs::create_directories(meshes());
}

TempTree::~TempTree() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void TempTree::write(const fs::path& relative, const std::string& content) const {
    const fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

void TempTree::copyFromRepository(const std::string& sub) const {
    fs::copy(repositoryRoot() / "Resources" / sub, root_ / "Resources" / sub,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const fs::path& directory) : previous_(fs::current_path()) {
    fs::current_path(directory);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
}

fs::path repositoryRoot() {
    return DEMO_SOURCE_DIR;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
