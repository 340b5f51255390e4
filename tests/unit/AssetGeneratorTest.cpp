// The committed Resources/Textures and Resources/Meshes are exactly what tools/assetgen writes: run it
// into a temporary folder and compare, file by file. Text must match byte for byte; images must decode
// to the same pixels (JPEG within a small tolerance, since decoders may round differently).

#include "ResourceFiles.h"
#include "support/TempTree.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using namespace resources;

// The helpers serve only the comparison, which needs the generator.
#ifdef ASSETGEN_BINARY
namespace {

std::set<std::string> fileNames(const fs::path& folder) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The first line where two texts part, for a readable failure.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream a(expected), b(actual);
    std::string lineA, lineB;
    for (int line = 1;; ++line) {
        const bool moreA = static_cast<bool>(std::getline(a, lineA)),
                   moreB = static_cast<bool>(std::getline(b, lineB));
        if (!moreA && !moreB)
            return "identical lines, different line ends";
        if (!moreA || !moreB || lineA != lineB)
            return "line " + std::to_string(line) + ": committed \"" + lineA.substr(0, 120) +
                   "\", generated \"" + lineB.substr(0, 120) + "\"";
    }
}

bool isImage(const fs::path& path) {
    const std::string extension = path.extension().string();
    return extension == ".png" || extension == ".JPG";
}

void expectSamePixels(const fs::path& committed, const fs::path& generated) {
    const Picture a = loadPicture(committed), b = loadPicture(generated);
    ASSERT_TRUE(a.loaded);
    ASSERT_TRUE(b.loaded);
    EXPECT_EQ(a.format, b.format);
    EXPECT_EQ(a.bitsPerPixel, b.bitsPerPixel);
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    const int tolerance = a.format == FIF_JPEG ? 3 : 0;
    int worst = 0;
    for (size_t i = 0; i < a.bgra.size(); ++i)
        worst = std::max(worst, std::abs(static_cast<int>(a.bgra[i]) - static_cast<int>(b.bgra[i])));
    EXPECT_LE(worst, tolerance) << "largest channel difference";
}

} // namespace
#endif

TEST(AssetGenerator, ReproducesTheCommittedResourceTree) {
#ifndef ASSETGEN_BINARY
    GTEST_SKIP() << "built without the asset generator (DEMO_BUILD_TOOLS=OFF)";
#else
    TempTree tree;
    const fs::path output = tree.root() / "generated";
    const fs::path log = tree.root() / "assetgen.log";
    const std::string command = "\"" + std::string(ASSETGEN_BINARY) + "\" \"" + output.string() + "\" > \"" +
                                log.string() + "\" 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << readAll(log);

    for (const std::string folder : {"Textures", "Meshes"}) {
        SCOPED_TRACE(folder);
        const fs::path committed = repositoryRoot() / "Resources" / folder;
        // Same files: nothing missing, nothing left over from an older generator.
        ASSERT_EQ(fileNames(committed), fileNames(output / folder))
            << "regenerate with scripts/generate-assets";
        for (const std::string& name : fileNames(committed)) {
            SCOPED_TRACE(name);
            if (isImage(name)) {
                expectSamePixels(committed / name, output / folder / name);
            } else {
                const std::string expected = readAll(committed / name),
                                  actual = readAll(output / folder / name);
                EXPECT_TRUE(expected == actual) << firstDifference(expected, actual);
            }
        }
    }
#endif
}
