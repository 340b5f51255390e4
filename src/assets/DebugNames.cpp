#include "assets/DebugNames.h"

#include <GL/glew.h>
#include <vector>

namespace {

// Groups nest a few levels deep (stage, object); after the first frame pushing allocates nothing.
std::vector<const char*>& openGroups() {
    static std::vector<const char*> groups;
    return groups;
}

} // namespace

void labelObject(uint32_t identifier, uint32_t name, const std::string& label) {
    if (name != 0)
        glObjectLabel(identifier, name, static_cast<GLsizei>(label.size()), label.data());
}

DebugGroup::DebugGroup(const char* name) {
    openGroups().push_back(name);
    glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 0, -1, name);
}

DebugGroup::~DebugGroup() {
    glPopDebugGroup();
    openGroups().pop_back();
}

const char* innermostDebugGroup() {
    const std::vector<const char*>& groups = openGroups();
    return groups.empty() ? nullptr : groups.back();
}
