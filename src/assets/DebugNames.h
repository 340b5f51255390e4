#pragma once

#include <cstdint>
#include <string>

// The names a GL debugger (RenderDoc, apitrace) and the driver's own messages show for what the engine
// owns and draws, so that a captured frame reads as stages and models rather than as numbered calls.
// Each name is what a reader searches for ("water reflection", "house.obj"), the same in every run.

// Labels the GL object `name` of the kind `identifier` (GL_BUFFER, GL_TEXTURE, GL_PROGRAM, ...). The object
// must exist, that is, have been bound or used once: a name that was only generated has no object yet. The
// name 0, a buffer that a layout does not create, has none either and is skipped.
void labelObject(uint32_t identifier, uint32_t name, const std::string& label);

// A debug group of GL calls, open while this object lives: the destructor closes it, so that no return
// path can leave a group open. `name` must outlive the group: a literal, or a mesh's file name.
class DebugGroup {
  public:
    explicit DebugGroup(const char* name);
    ~DebugGroup();
    DebugGroup(const DebugGroup&) = delete;
    DebugGroup& operator=(const DebugGroup&) = delete;
};

// The innermost group the engine has open, or null outside every group. Kept by the engine itself, so that
// the debug output's callback, which may not call GL, can say where a message came from.
const char* innermostDebugGroup();
