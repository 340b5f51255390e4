#include "assets/ResourceList.h"

#include "assets/ResourceCatalogue.h"
#include "support/CoutCapture.h"
#include "support/TempTree.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace {

std::vector<std::string> parse(const std::string& text, std::vector<std::string>* printed = nullptr) {
    std::istringstream in(text);
    CoutCapture capture;
    std::vector<std::string> names = parseResourceList(in, "../Resources/Meshes/Meshes");
    if (printed != nullptr)
        *printed = capture.lines();
    return names;
}

using Names = std::vector<std::string>;

TEST(ResourceList, NameIsCutAtTheFirstCharacterOutsideTheSet) {
    const struct {
        std::string line;
        std::string name;
    } cases[] = {
        {"house.obj\r", "house.obj"},                 // CRLF line end
        {"dudv.png the water's ripples", "dudv.png"}, // remark after a blank
        {"normalmap.png\tremark", "normalmap.png"},   // remark after a tab
        {"models/house.obj", "models/house.obj"},     // subdirectory: the slash is inside the set
        {"my house.obj", "my"},                       // a space ends the name
        {" house.obj", ""},                           // leading white space is not skipped
        {"", ""},                                     // empty line
        {"monkey2.dae", "monkey2.dae"},
        {"A-Z_0.9:;<=>?@[\\]^", "A-Z_0.9:;<=>?@[\\]^"}, // the odd corners of '.' to '_'
    };
    for (const auto& c : cases)
        EXPECT_EQ(listEntryName(c.line), c.name) << "line: " << c.line;
}

TEST(ResourceList, CharactersJustInsideAndJustOutsideTheSet) {
    // Each range's neighbours: ',' | '-' '.' ... '_' | '`' 'a' ... 'z' | '{', plus bytes past ASCII.
    const struct {
        char c;
        bool inside;
    } cases[] = {
        {',', false}, {'-', true},   {'.', true},   {'/', true},     {'0', true},     {'9', true},
        {'@', true},  {'A', true},   {'Z', true},   {'_', true},     {'`', false},    {'a', true},
        {'z', true},  {'{', false},  {'~', false},  {'\x7f', false}, {'\x80', false}, {'\xff', false},
        {' ', false}, {'\t', false}, {'\r', false}, {'!', false},    {'"', false},    {'#', false},
        {'+', false}, {'*', false},  {'\0', false},
    };
    for (const auto& c : cases) {
        const std::string line = std::string("x") + c.c + "y";
        EXPECT_EQ(isListNameCharacter(c.c), c.inside)
            << "byte " << static_cast<int>(static_cast<unsigned char>(c.c));
        EXPECT_EQ(listEntryName(line), c.inside ? line : "x")
            << "byte " << static_cast<int>(static_cast<unsigned char>(c.c));
    }
}

TEST(ResourceList, KeepsFileOrderAndDuplicates) {
    EXPECT_EQ(parse("b.obj\na.obj\nb.obj\n"), (Names{"b.obj", "a.obj", "b.obj"}));
}

TEST(ResourceList, ReadsCrlfFilesAndALastLineWithoutLineEnd) {
    EXPECT_EQ(parse("a.png\r\nb.png remark\r\nc.png"), (Names{"a.png", "b.png", "c.png"}));
}

TEST(ResourceList, SkipsBlankLinesSilently) {
    std::vector<std::string> printed;
    EXPECT_EQ(parse("\na.png\n\r\n \t \r\n\nb.png\n\n", &printed), (Names{"a.png", "b.png"}));
    EXPECT_EQ(printed, Names{});
}

TEST(ResourceList, ReportsOtherLinesThatYieldNoName) {
    std::vector<std::string> printed;
    EXPECT_EQ(parse("a.png\n house.obj\n# remark\nb.png\n", &printed), (Names{"a.png", "b.png"}));
    EXPECT_EQ(printed, (Names{"SKIPPING LINE 2 OF ../Resources/Meshes/Meshes",
                              "SKIPPING LINE 3 OF ../Resources/Meshes/Meshes"}));
}

TEST(ResourceList, ReadsLongNamesWhole) {
    const std::string longName = std::string(250, 'n') + ".obj";
    EXPECT_EQ(parse(longName + " remark\nshort.obj\n"), (Names{longName, "short.obj"}));
}

TEST(ResourceList, ReadsTheListFileInTheDirectory) {
    TempTree tree;
    tree.write("Resources/Meshes/Meshes", "house.obj\r\nbridge.dae  the bridge\r\n");
    ScopedWorkingDirectory inWork(tree.work());
    EXPECT_EQ(readResourceList("Meshes", "../Resources/Meshes/"), (Names{"house.obj", "bridge.dae"}));
}

TEST(ResourceListDeathTest, MissingListFileIsFatalWithStatusOne) {
    TempTree tree;
    ScopedWorkingDirectory inWork(tree.work());
    // The death-test matcher reads standard error, so the child sends standard output there; with
    // standard input at end of file the console pause returns at once.
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            if (std::freopen("/dev/null", "r", stdin) == nullptr)
                std::abort();
            readResourceList("Meshes", "../Resources/Meshes/");
        },
        ::testing::ExitedWithCode(1), "^\nERROR READING FILE: \\.\\./Resources/Meshes/Meshes\n");
}

} // namespace
