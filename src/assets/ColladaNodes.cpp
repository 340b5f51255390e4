#include "assets/ColladaNodes.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace {

// One <node> (or visual scene) as the model library keeps it.
struct Node {
    std::string id, name;
    std::vector<size_t> children;  // its own <node> children, in order
    std::vector<std::string> uses; // what its instance_node elements name, without the '#'
};

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes; // the first of each name, as the parser keeps it
};

// The document's markup, read as a plain XML parser reads it: comments, processing instructions and
// CDATA are skipped, text is ignored. Every start tag, and every end tag as an element with an empty
// attribute map and a name starting with '/'. Nothing when the markup is malformed or holds a document
// type declaration.
class Markup {
  public:
    explicit Markup(const std::string& text) : text_(text) {}

    // The next tag, or nothing at the end; `malformed` is set when it stops early.
    std::optional<Element> next() {
        for (at_ = text_.find('<', at_); at_ != std::string::npos; at_ = text_.find('<', at_)) {
            if (skip("<!--", "-->") || skip("<![CDATA[", "]]>") || skip("<?", "?>"))
                continue;
            if (text_.compare(at_, 2, "<!") == 0) // a document type declaration, which may declare entities
                return fail();
            return tag();
        }
        return std::nullopt;
    }
    bool malformed = false;
    bool selfClosed = false; // the last start tag ended with "/>"

  private:
    std::optional<Element> fail() {
        malformed = true;
        at_ = std::string::npos;
        return std::nullopt;
    }
    bool skip(const char* open, const char* close) {
        if (text_.compare(at_, std::char_traits<char>::length(open), open) != 0)
            return false;
        const size_t end = text_.find(close, at_);
        at_ = end == std::string::npos ? end : end + std::char_traits<char>::length(close);
        malformed |= end == std::string::npos;
        return true;
    }
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    size_t word(size_t from) const {
        size_t end = from;
        while (end < text_.size() && !isSpace(text_[end]) && text_[end] != '/' && text_[end] != '>' &&
               text_[end] != '=')
            ++end;
        return end;
    }
    void spaces() {
        while (at_ < text_.size() && isSpace(text_[at_]))
            ++at_;
    }
    std::optional<Element> tag() {
        Element element;
        const bool closing = text_.compare(at_, 2, "</") == 0;
        const size_t start = at_ + (closing ? 2 : 1), end = word(start);
        element.name = (closing ? "/" : "") + text_.substr(start, end - start);
        at_ = end;
        for (spaces(); at_ < text_.size() && text_[at_] != '>' && text_[at_] != '/'; spaces()) {
            const size_t nameEnd = word(at_);
            const std::string name = text_.substr(at_, nameEnd - at_);
            at_ = nameEnd;
            spaces();
            if (closing || name.empty() || at_ + 1 >= text_.size() || text_[at_] != '=')
                return fail();
            ++at_;
            spaces();
            const char quote = at_ < text_.size() ? text_[at_] : '\0';
            const size_t valueEnd =
                quote == '"' || quote == '\'' ? text_.find(quote, at_ + 1) : std::string::npos;
            if (valueEnd == std::string::npos)
                return fail();
            element.attributes.emplace(name, text_.substr(at_ + 1, valueEnd - at_ - 1));
            at_ = valueEnd + 1;
        }
        selfClosed = text_.compare(at_, 2, "/>") == 0;
        if (element.name.size() <= size_t{closing} || (closing && selfClosed) ||
            (!selfClosed && (at_ >= text_.size() || text_[at_] != '>')))
            return fail();
        at_ += selfClosed ? 2 : 1;
        return element;
    }

    const std::string& text_;
    size_t at_ = 0;
};

// An id, name or url the parser would read differently from its bytes: it decodes references and turns
// whitespace into spaces.
bool readsDifferently(const std::string& value) {
    return value.find_first_of("&\t\n\r") != std::string::npos;
}

// The document's nodes as the library reads them: the nodes of each visual scene under the scene, the
// top-level nodes of library_nodes in the id table with their own children, and the scene the
// document instances. Nothing for a document the scan cannot read soundly.
struct Document {
    std::vector<Node> nodes;
    std::map<std::string, size_t> byId; // visual scenes and library_nodes' top-level nodes, the last of an id
    std::optional<size_t> root;
};

std::optional<Document> readDocument(const std::string& text) {
    Markup markup(text);
    Document document;
    // The open elements, each with the node it stands for (a node, or the scene holding it) or NoNode.
    constexpr size_t NoNode = SIZE_MAX;
    std::vector<std::pair<std::string, size_t>> open;
    bool inCollada = false, sceneSeen = false, colladaSeen = false;
    for (std::optional<Element> element = markup.next(); element; element = markup.next()) {
        if (element->name[0] == '/') {
            if (open.empty() || "/" + open.back().first != element->name)
                return std::nullopt;
            open.pop_back();
            inCollada &= !open.empty();
            continue;
        }
        const std::string parent = open.empty() ? "" : open.back().first;
        const size_t parentNode = open.empty() ? NoNode : open.back().second;
        const auto attribute = [&](const char* name) {
            const auto found = element->attributes.find(name);
            return found == element->attributes.end() ? std::optional<std::string>() : found->second;
        };
        const bool describesNodes = element->name == "node" || element->name == "visual_scene" ||
                                    element->name == "instance_node" ||
                                    element->name == "instance_visual_scene";
        for (const char* name : {"id", "name", "url"})
            if (describesNodes && attribute(name) && readsDifferently(*attribute(name)))
                return std::nullopt;
        size_t stands = NoNode;
        // Only the first COLLADA element at the top of the document is read.
        if (open.empty() && element->name == "COLLADA" && !colladaSeen) {
            inCollada = colladaSeen = true;
        } else if (inCollada && open.size() == 2 && parent == "library_visual_scenes" &&
                   element->name == "visual_scene") {
            stands = document.nodes.size();
            document.nodes.push_back(
                {attribute("id").value_or(""), attribute("name").value_or("Scene"), {}, {}});
            document.byId[document.nodes.back().id] = stands;
        } else if (inCollada && element->name == "node" &&
                   (parentNode != NoNode || (open.size() == 2 && parent == "library_nodes"))) {
            stands = document.nodes.size();
            document.nodes.push_back({attribute("id").value_or(""), attribute("name").value_or(""), {}, {}});
            if (parentNode != NoNode)
                document.nodes[parentNode].children.push_back(stands);
            else
                document.byId[document.nodes.back().id] = stands;
        } else if (parentNode != NoNode && element->name == "instance_node") {
            const std::string url = attribute("url").value_or("");
            if (!url.empty() && url[0] == '#')
                document.nodes[parentNode].uses.push_back(url.substr(1));
        } else if (inCollada && open.size() == 2 && parent == "scene" &&
                   element->name == "instance_visual_scene") {
            // The library gives up on a second scene, one it has not read yet, or a url it cannot follow.
            const std::string url = attribute("url").value_or("");
            const auto found = url.empty() ? document.byId.end() : document.byId.find(url.substr(1));
            if (sceneSeen || url.empty() || url[0] != '#' || found == document.byId.end())
                return Document{};
            document.root = found->second;
            sceneSeen = true;
        }
        if (!markup.selfClosed)
            open.emplace_back(element->name, stands);
    }
    if (markup.malformed || !open.empty())
        return std::nullopt;
    return document;
}

// What each name an instance_node uses resolves to: the node of that id in the id table, and failing that
// the first node, in the scene's own tree from its root down (children in order, each before its
// children), whose name or id it is.
std::map<std::string, size_t> treeNames(const Document& document) {
    std::map<std::string, size_t> names;
    std::vector<size_t> pending{*document.root};
    while (!pending.empty()) {
        const Node& node = document.nodes[pending.back()];
        const size_t index = pending.back();
        pending.pop_back();
        names.emplace(node.name, index);
        names.emplace(node.id, index);
        pending.insert(pending.end(), node.children.rbegin(), node.children.rend());
    }
    return names;
}

} // namespace

ColladaNodes checkColladaNodes(const std::string& text) {
    // Bytes below a space other than tab and line ends are no part of a text document: a wide encoding,
    // an archive or a binary file (and the library stops reading its text at the first zero byte).
    if (std::any_of(text.begin(), text.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
        }))
        return ColladaNodes::Unreadable;
    const std::optional<Document> document = readDocument(text);
    if (!document)
        return ColladaNodes::Unreadable;
    if (!document->root)
        return ColladaNodes::Sound;
    const std::map<std::string, size_t> names = treeNames(*document);
    // Each node's placed children: its own, then the nodes its instances resolve to.
    std::vector<std::vector<size_t>> placed(document->nodes.size());
    for (size_t i = 0; i < placed.size(); ++i) {
        placed[i] = document->nodes[i].children;
        for (const std::string& use : document->nodes[i].uses) {
            const auto byId = document->byId.find(use);
            const auto byName = names.find(use);
            if (byId != document->byId.end())
                placed[i].push_back(byId->second);
            else if (byName != names.end())
                placed[i].push_back(byName->second);
        }
    }
    // Depth first from the scene, without recursion: a node met again while it is being placed closes a
    // cycle. Once a node's children are done, its subtree's node count and depth are known, capped just
    // past the limits so that nothing overflows.
    enum class State { New, Open, Done };
    std::vector<State> state(placed.size(), State::New);
    std::vector<size_t> count(placed.size(), 0), depth(placed.size(), 0);
    std::vector<std::pair<size_t, size_t>> stack{{*document->root, 0}}; // node, next child
    state[*document->root] = State::Open;
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next < placed[node].size()) {
            const size_t child = placed[node][next++];
            if (state[child] == State::Open)
                return ColladaNodes::Cycle;
            if (state[child] == State::New) {
                state[child] = State::Open;
                stack.emplace_back(child, 0);
            }
            continue;
        }
        count[node] = 1;
        depth[node] = 1;
        for (const size_t child : placed[node]) {
            count[node] = std::min(count[node] + count[child], MaxPlacedNodes + 1);
            depth[node] = std::max(depth[node], std::min(depth[child] + 1, MaxPlacedDepth + 1));
        }
        state[node] = State::Done;
        stack.pop_back();
    }
    if (count[*document->root] > MaxPlacedNodes)
        return ColladaNodes::TooMany;
    return depth[*document->root] > MaxPlacedDepth ? ColladaNodes::TooDeep : ColladaNodes::Sound;
}

bool mayBeCollada(const std::string& path, const Assimp::Importer& importer) {
    const size_t dot = path.find_last_of("./\\");
    if (dot == std::string::npos || path[dot] != '.')
        return true;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "dae" || extension == "zae" || extension == "xml" ||
           !importer.IsExtensionSupported(path.substr(dot).c_str());
}
