#include "ModelFiles.h"

namespace {

std::string colladaGeometry(const std::string& id, const std::string& positions, int vertexCount,
                            const std::string& triangleIndices) {
    return "<geometry id=\"" + id + "\" name=\"" + id +
           "\"><mesh>\n"
           "  <source id=\"" +
           id + "-pos\"><float_array id=\"" + id + "-arr\" count=\"" + std::to_string(vertexCount * 3) +
           "\">" + positions +
           "</float_array>\n"
           "    <technique_common><accessor source=\"#" +
           id + "-arr\" count=\"" + std::to_string(vertexCount) +
           "\" stride=\"3\"><param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/>"
           "<param name=\"Z\" type=\"float\"/></accessor></technique_common></source>\n"
           "  <vertices id=\"" +
           id + "-vtx\"><input semantic=\"POSITION\" source=\"#" + id +
           "-pos\"/></vertices>\n"
           "  <triangles count=\"1\"><input semantic=\"VERTEX\" source=\"#" +
           id + "-vtx\" offset=\"0\"/><p>" + triangleIndices +
           "</p></triangles>\n"
           "</mesh></geometry>\n";
}

} // namespace

std::string colladaModel(const std::string& nodes, const std::string& upAxis) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
           "<asset><unit name=\"meter\" meter=\"1\"/><up_axis>" +
           upAxis +
           "</up_axis></asset>\n"
           "<library_geometries>\n" +
           colladaGeometry("tri", "0 0 0 2 0 0 0 4 0", 3, "0 1 2") +
           colladaGeometry("big", "10 0 0 10 10 0 0 10 0", 3, "0 1 2") +
           "</library_geometries>\n"
           "<library_visual_scenes><visual_scene id=\"Scene\" name=\"Scene\">\n" +
           nodes +
           "</visual_scene></library_visual_scenes>\n"
           "<scene><instance_visual_scene url=\"#Scene\"/></scene>\n"
           "</COLLADA>\n";
}

std::string colladaNode(const std::string& name, const std::string& rowMajorMatrix,
                        const std::string& geometry, const std::string& children) {
    std::string node = "<node id=\"" + name + "\" name=\"" + name + "\"><matrix sid=\"transform\">" +
                       rowMajorMatrix + "</matrix>";
    if (!geometry.empty())
        node += "<instance_geometry url=\"#" + geometry + "\"/>";
    return node + children + "</node>\n";
}

std::string objTriangle() {
    return "o tri\n"
           "v 0 0 0\nv 2 0 0\nv 0 4 0\n"
           "vt 0 0\nvt 1 0\nvt 0 1\n"
           "vn 0 0 1\n"
           "f 1/1/1 2/2/1 3/3/1\n";
}
