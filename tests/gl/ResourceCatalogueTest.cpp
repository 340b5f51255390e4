#include "assets/ResourceCatalogue.h"

#include "support/CoutCapture.h"
#include "support/GlTest.h"
#include "support/ModelFiles.h"
#include "support/TempTree.h"

#include <cstdint>

namespace {

using Lines = std::vector<std::string>;
const std::string MeshDirectory = "../Resources/Meshes/";
const std::string TextureDirectory = "../Resources/Textures/";

// A 24-bit 2 x 2 BMP of one colour: the smallest image the texture loader reads without help.
std::string bmpImage(uint8_t red, uint8_t green, uint8_t blue) {
    const auto u16 = [](uint32_t v) { return std::string{char(v & 0xff), char(v >> 8)}; };
    const auto u32 = [&](uint32_t v) { return u16(v & 0xffff) + u16(v >> 16); };
    const std::string row =
        std::string{char(blue), char(green), char(red), char(blue), char(green), char(red)} +
        std::string(2, '\0'); // rows are padded to four bytes
    const std::string pixels = row + row;
    return "BM" + u32(54 + static_cast<uint32_t>(pixels.size())) + u32(0) + u32(54) + // file header
           u32(40) + u32(2) + u32(2) + u16(1) + u16(24) + u32(0) + u32(static_cast<uint32_t>(pixels.size())) +
           u32(2835) + u32(2835) + u32(0) + u32(0) + pixels;
}

std::vector<std::string> keys(const std::map<std::string, Mesh*>& table) {
    std::vector<std::string> result;
    for (const auto& entry : table)
        result.push_back(entry.first);
    return result;
}

// Runs from the tree's working folder, as the demo does, and leaves both tables empty again.
class ResourceCatalogueTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        tree.write("Resources/Meshes/plane.obj", objTriangle());
        tree.write("Resources/Meshes/tri.obj", objTriangle());
    }
    void TearDown() override {
        releaseTextures();
        releaseMeshes();
        GlTest::TearDown();
    }
    void writeMeshList(const std::string& content) { tree.write("Resources/Meshes/Meshes", content); }
    void writeTextureList(const std::string& content) { tree.write("Resources/Textures/Textures", content); }

    TempTree tree;
    ScopedWorkingDirectory inWork{tree.work()};
};

TEST_F(ResourceCatalogueTest, AnEmptyMeshListGivesTheQuadAndTheParticlePlane) {
    writeMeshList("");
    CoutCapture capture;
    loadMeshCatalogue("Meshes", MeshDirectory);
    EXPECT_EQ(capture.text(), "");
    EXPECT_EQ(keys(meshTable()), (Lines{"plane.obj", "quad"}));
    ASSERT_NE(findMesh("plane.obj"), nullptr);
    EXPECT_EQ(findMesh("plane.obj")->buffers->normalBuffer, 0u) << "the plane has the particle layout";
    ASSERT_NE(findMesh("quad"), nullptr);
    EXPECT_EQ(findMesh("quad")->buffers->indexCount, 6);
}

TEST_F(ResourceCatalogueTest, ListedMeshesAreFoundByTheirExactName) {
    writeMeshList("tri.obj\r\nsub/tri.obj  the same shape in a folder\r\ntri.obj\r\n");
    tree.write("Resources/Meshes/sub/tri.obj", objTriangle());
    loadMeshCatalogue("Meshes", MeshDirectory);
    EXPECT_EQ(keys(meshTable()), (Lines{"plane.obj", "quad", "sub/tri.obj", "tri.obj"}));
    ASSERT_NE(findMesh("tri.obj"), nullptr);
    EXPECT_NE(findMesh("tri.obj")->buffers->normalBuffer, 0u) << "listed meshes have the model layout";
    EXPECT_EQ(findMesh("Tri.obj"), nullptr);
    EXPECT_EQ(findMesh("tri"), nullptr);
}

TEST_F(ResourceCatalogueTest, AMissingMeshPrintsTwoLinesAndIsLeftOut) {
    writeMeshList("missing.obj\ntri.obj\n");
    CoutCapture capture;
    loadMeshCatalogue("Meshes", MeshDirectory);
    EXPECT_EQ(capture.lines(),
              (Lines{"ERROR LOADING MESH ../Resources/Meshes/missing.obj", "missing.obj IS NULL"}));
    EXPECT_EQ(findMesh("missing.obj"), nullptr);
    EXPECT_EQ(meshTable().count("missing.obj"), 0u);
    EXPECT_NE(findMesh("tri.obj"), nullptr);
}

TEST_F(ResourceCatalogueTest, AMissingParticlePlanePrintsOnlyItsLoadingLine) {
    std::filesystem::remove(tree.meshes() / "plane.obj");
    writeMeshList("tri.obj\n");
    CoutCapture capture;
    loadMeshCatalogue("Meshes", MeshDirectory);
    EXPECT_EQ(capture.lines(), (Lines{"ERROR LOADING MESH ../Resources/Meshes/plane.obj"}));
    EXPECT_EQ(keys(meshTable()), (Lines{"quad", "tri.obj"}));
    EXPECT_EQ(findMesh("plane.obj"), nullptr);
}

TEST_F(ResourceCatalogueTest, AListThatNamesThePlaneKeepsItsOwnMesh) {
    writeMeshList("plane.obj\n");
    loadMeshCatalogue("Meshes", MeshDirectory);
    ASSERT_NE(findMesh("plane.obj"), nullptr);
    EXPECT_NE(findMesh("plane.obj")->buffers->normalBuffer, 0u) << "the listed mesh, not the particle plane";
}

TEST_F(ResourceCatalogueTest, ReleasingDeletesEverythingAndTheCatalogueCanBeLoadedAgain) {
    writeMeshList("tri.obj\n");
    writeTextureList("red.bmp\n");
    tree.write("Resources/Textures/red.bmp", bmpImage(255, 0, 0));
    for (int round = 0; round < 2; ++round) {
        loadTextureCatalogue("Textures", TextureDirectory);
        loadMeshCatalogue("Meshes", MeshDirectory);
        ASSERT_EQ(meshTable().size(), 3u) << "round " << round;
        ASSERT_EQ(textureTable().size(), 1u) << "round " << round;
        std::vector<MeshBuffers> buffers;
        for (const auto& entry : meshTable())
            buffers.push_back(*entry.second->buffers);
        const Texture texture = findTexture("red.bmp");
        EXPECT_TRUE(glIsTexture(texture));

        releaseTextures();
        releaseMeshes();
        EXPECT_TRUE(textureTable().empty());
        EXPECT_TRUE(meshTable().empty());
        EXPECT_EQ(findMesh("tri.obj"), nullptr);
        EXPECT_EQ(findTexture("red.bmp"), 0u);
        EXPECT_FALSE(glIsTexture(texture));
        for (const MeshBuffers& b : buffers) {
            EXPECT_FALSE(glIsVertexArray(b.vertexArray));
            EXPECT_FALSE(glIsBuffer(b.positionBuffer));
            EXPECT_FALSE(glIsBuffer(b.indexBuffer));
        }
    }
}

TEST_F(ResourceCatalogueTest, TexturesAreLoadedOnceByNameAndFailuresAreSkipped) {
    writeTextureList("red.bmp\nmissing.png\nred.bmp a second time\n\nblue.bmp\n");
    tree.write("Resources/Textures/red.bmp", bmpImage(255, 0, 0));
    tree.write("Resources/Textures/blue.bmp", bmpImage(0, 0, 255));
    CoutCapture capture;
    loadTextureCatalogue("Textures", TextureDirectory);
    EXPECT_EQ(capture.lines(), (Lines{"ERROR LOADING TEXTURE ../Resources/Textures/missing.png"}));
    ASSERT_EQ(textureTable().size(), 2u);
    EXPECT_NE(findTexture("red.bmp"), 0u);
    EXPECT_NE(findTexture("blue.bmp"), 0u);
    EXPECT_NE(findTexture("red.bmp"), findTexture("blue.bmp"));
    EXPECT_EQ(findTexture("missing.png"), 0u);
}

TEST_F(ResourceCatalogueTest, AnEmptyTextureListGivesAnEmptyTable) {
    writeTextureList("\n");
    loadTextureCatalogue("Textures", TextureDirectory);
    EXPECT_TRUE(textureTable().empty());
}

TEST_F(ResourceCatalogueTest, AModelFindsItsDiffuseTextureInTheTable) {
    writeTextureList("wood.bmp\n");
    tree.write("Resources/Textures/wood.bmp", bmpImage(120, 80, 40));
    tree.write("Resources/Meshes/house.mtl", "newmtl wood\nmap_Kd wood.bmp\n");
    tree.write("Resources/Meshes/house.obj", "mtllib house.mtl\nusemtl wood\n" + objTriangle());
    writeMeshList("house.obj\n");
    loadTextureCatalogue("Textures", TextureDirectory);
    loadMeshCatalogue("Meshes", MeshDirectory);
    ASSERT_NE(findMesh("house.obj"), nullptr);
    EXPECT_NE(findTexture("wood.bmp"), 0u);
    EXPECT_EQ(findMesh("house.obj")->texture, findTexture("wood.bmp"));
}

} // namespace
