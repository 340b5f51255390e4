#pragma once

#include <assimp/Importer.hpp>
#include <cstddef>
#include <string>

// What the model library would make of a COLLADA document's node tree. It builds the tree by recursion,
// placing every instance_node as a copy of the node it names: a node that instances itself, an ancestor
// or the scene recurses without end and crashes the process, and a few kilobytes that instance two nodes
// a level for 40 levels place a trillion nodes.
enum class ColladaNodes {
    Sound,
    Cycle,      // the instances loop back to a node being placed
    TooMany,    // the tree would hold more than MaxPlacedNodes nodes
    TooDeep,    // the tree would be deeper than MaxPlacedDepth levels: the library's recursion overflows
    Unreadable, // the scan cannot read it as the library does (see checkColladaNodes)
};

inline constexpr size_t MaxPlacedNodes = 100000;
inline constexpr size_t MaxPlacedDepth = 1000;

// The tree `text` describes, read as the model library reads it: the scene named by the document's
// instance_visual_scene, each node's own child nodes, then the nodes its instance_node elements name, an
// instance_node url naming a node by id among the visual scenes and the top-level nodes of
// library_nodes, and failing that by name or id in the scene's own tree. A document the scan cannot read
// the same way is Unreadable: bytes that are not text (a wide text encoding, a zip-packed archive, a
// binary file), a document type declaration (entities), a reference or whitespace inside an id, name or
// url (the library's XML parser would decode it), or markup the parser would reject anyway. A document
// that has no scene to build is Sound: the library refuses it without building anything.
ColladaNodes checkColladaNodes(const std::string& text);

// Whether `importer` may hand the file at `path` to its COLLADA importer: by its extension (dae, zae or
// xml), or by what the file holds when no importer claims its extension.
bool mayBeCollada(const std::string& path, const Assimp::Importer& importer);
