// The scan of a COLLADA document's node tree, on documents of a few lines: what the model library would
// build from each, read as it reads them.
#include "assets/ColladaNodes.h"

#include <gtest/gtest.h>

namespace {

std::string document(const std::string& scene, const std::string& library = "") {
    return "<?xml version=\"1.0\"?>\n<!-- exported --><COLLADA version=\"1.4.1\">" + library +
           "<library_visual_scenes><visual_scene id=\"s\">" + scene +
           "</visual_scene></library_visual_scenes>\n<scene><instance_visual_scene "
           "url=\"#s\"/></scene></COLLADA>\n";
}

// Library nodes n0 ... n`count`, each placing the next `fan` times; the scene places n0.
std::string placing(int count, int fan) {
    std::string library = "<library_nodes>";
    for (int level = 0; level < count; ++level)
        for (int copy = 0; copy <= fan; ++copy)
            library += copy == 0    ? "<node id=\"n" + std::to_string(level) + "\">"
                       : copy < fan ? "<instance_node url=\"#n" + std::to_string(level + 1) + "\"/>"
                                    : "<instance_node url=\"#n" + std::to_string(level + 1) + "\"/></node>";
    return document("<node><instance_node url=\"#n0\"/></node>",
                    library + "<node id=\"n" + std::to_string(count) + "\"/></library_nodes>");
}

struct ScanCase {
    const char* name;
    std::string text;
    ColladaNodes expected;
};

class ColladaScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ColladaScan, NamesWhatTheModelLibraryWouldBuild) {
    EXPECT_EQ(checkColladaNodes(GetParam().text), GetParam().expected);
}

const std::string Node = "<node id=\"a\" name=\"top\"><node id=\"b\"/>";
const std::string Library =
    "<library_nodes><node id=\"l\"><node id=\"m\"><instance_node url=\"#k\"/></node></node>"
    "<node id=\"k\"/><node id=\"x\"><instance_node url=\"#x\"/></node></library_nodes>";

INSTANTIATE_TEST_SUITE_P(
    Documents, ColladaScan,
    ::testing::Values(
        ScanCase{"Sound",
                 document(Node + "<instance_node url=\"#l\"/><instance_node url=\"#l\"/></node>", Library),
                 ColladaNodes::Sound},
        ScanCase{"Self", document(Node + "<instance_node url=\"#a\"/></node>"), ColladaNodes::Cycle},
        ScanCase{"Ancestor", document(Node + "<node><instance_node url=\"#a\"/></node></node>"),
                 ColladaNodes::Cycle},
        ScanCase{"Scene", document(Node + "<instance_node url=\"#s\"/></node>"), ColladaNodes::Cycle},
        ScanCase{"ByName", document(Node + "<node><instance_node url=\"#top\"/></node></node>"),
                 ColladaNodes::Cycle},
        ScanCase{"LibraryNodesTwice",
                 document(Node + "<instance_node url=\"#l\"/></node>", Library + Library),
                 ColladaNodes::Sound},
        ScanCase{"IntoLibraryNodes",
                 document(Node + "<instance_node url=\"#l\"/></node>",
                          "<library_nodes><node id=\"l\"><instance_node url=\"#a\"/></node></library_nodes>"),
                 ColladaNodes::Cycle},
        // An id in the table wins over a name in the scene, and a cycle the scene never places is harmless.
        ScanCase{"IdBeforeName",
                 document("<node id=\"a\" name=\"k\"><instance_node url=\"#k\"/></node>", Library),
                 ColladaNodes::Sound},
        ScanCase{"InAComment", document(Node + "<!-- <instance_node url=\"#a\"/> --></node>"),
                 ColladaNodes::Sound},
        ScanCase{"TwoToThe40", placing(40, 2), ColladaNodes::TooMany},
        ScanCase{"AThousandAndOneLevels", placing(1000, 1), ColladaNodes::TooDeep},
        ScanCase{"Entities", "<!DOCTYPE COLLADA [<!ENTITY a \"a\">]>" + document(Node + "</node>"),
                 ColladaNodes::Unreadable},
        ScanCase{"Reference", document(Node + "<instance_node url=\"#&#97;\"/></node>"),
                 ColladaNodes::Unreadable},
        ScanCase{"Wide", std::string("\xFF\xFE<\0C\0O\0L\0L\0A\0D\0A\0>\0", 20), ColladaNodes::Unreadable},
        ScanCase{"Zip", std::string("PK\3\4\x14\0\0\0\x08\0", 10) + document(Node + "</node>"),
                 ColladaNodes::Unreadable}),
    [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.name); });

} // namespace
