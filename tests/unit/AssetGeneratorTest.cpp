// The committed Resources/Textures and Resources/Meshes are exactly what tools/assetgen writes: run it
// into a temporary folder and compare, file by file: byte for byte, but for the JPEG sky faces, which
// must decode to the same pixels within a small tolerance (decoders may round differently).
#include "support/Images.h"
#include "support/TempTree.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

[[maybe_unused]] std::set<std::string> fileNames(const fs::path& folder) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

[[maybe_unused]] std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

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
        const fs::path committed = repositoryRoot() / "Resources" / folder;
        // Same files: nothing missing, nothing left over from an older generator.
        ASSERT_EQ(fileNames(committed), fileNames(output / folder))
            << "regenerate with scripts/generate-assets";
        for (const std::string& name : fileNames(committed)) {
            const fs::path a = committed / name, b = output / folder / name;
            if (a.extension() != ".JPG") {
                EXPECT_TRUE(readAll(a) == readAll(b)) << name << " differs from the generator's";
                continue;
            }
            const ImageDifference difference = compareImages(loadImage(a), loadImage(b));
            EXPECT_EQ(difference.fractionFarOff, 0.0) << name;
            EXPECT_LT(difference.meanLevels, 0.5) << name;
        }
    }
#endif
}

} // namespace
