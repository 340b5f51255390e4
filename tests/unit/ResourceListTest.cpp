// The list files: which names a line yields, what is reported, and which list files are fatal.
#include "assets/ResourceList.h"

#include "assets/ResourceCatalogue.h"
#include "support/CoutCapture.h"
#include "support/TempTree.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Names = std::vector<std::string>;

TEST(ResourceList, EachLineYieldsItsLeadingNameAndOtherLinesAreSkippedAloud) {
    const std::string longName = std::string(250, 'n') + ".obj";
    const struct {
        std::string text;
        Names names;
        std::string printed;
    } cases[] = {
        {"b.obj\na.obj\nb.obj\n", {"b.obj", "a.obj", "b.obj"}, ""},
        {"a.png\r\nb.png remark\r\nc.png", {"a.png", "b.png", "c.png"}, ""},
        {"dudv.png the ripples\nnormalmap.png\tremark\nmodels/house.obj\nmy house.obj\n",
         {"dudv.png", "normalmap.png", "models/house.obj", "my"},
         ""},
        {"A-Z_0.9:;<=>?@[\\]^az\n", {"A-Z_0.9:;<=>?@[\\]^az"}, ""},
        {"x,y\nx`y\nx{y\nx\x80y\nx!y\n", {"x", "x", "x", "x", "x"}, ""},
        {"\na.png\n\r\n \t \r\n\nb.png\n\n", {"a.png", "b.png"}, ""},
        {"a.png\n house.obj\n# remark\nb.png\n",
         {"a.png", "b.png"},
         "SKIPPING LINE 2 OF ../Resources/Meshes/Meshes\nSKIPPING LINE 3 OF ../Resources/Meshes/Meshes\n"},
        {longName + " remark\nshort.obj\n", {longName, "short.obj"}, ""},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.text);
        CoutCapture capture;
        EXPECT_EQ(parseResourceList(in, "../Resources/Meshes/Meshes"), c.names) << c.text;
        EXPECT_EQ(capture.text(), c.printed) << c.text;
    }
}

TEST(ResourceList, IsReadFromTheDirectoryAndAnythingButARegularFileIsFatal) {
    TempTree tree;
    tree.write("Resources/Meshes/Meshes", "house.obj\r\nbridge.dae  the bridge\r\n");
    std::filesystem::create_directories(tree.textures() / "Textures");
    ASSERT_EQ(mkfifo((tree.root() / "Resources" / "Fifo").c_str(), 0600), 0);
    ScopedWorkingDirectory inWork(tree.work());
    EXPECT_EQ(readResourceList("Meshes", "../Resources/Meshes/"), (Names{"house.obj", "bridge.dae"}));

    // The death-test matcher reads standard error, so the child sends standard output there; with
    // standard input at end of file the console pause returns at once. A FIFO must not block.
    const std::pair<const char*, const char*> fatal[] = {{"Missing", "../Resources/Meshes/"},
                                                         {"Textures", "../Resources/Textures/"},
                                                         {"Fifo", "../Resources/"}};
    for (const auto& [list, directory] : fatal)
        EXPECT_EXIT((dup2(STDERR_FILENO, STDOUT_FILENO), std::freopen("/dev/null", "r", stdin),
                     readResourceList(list, directory)),
                    ::testing::ExitedWithCode(1),
                    "^\nERROR READING FILE: " + std::string(directory) + list + "\n")
            << list;
}

} // namespace
