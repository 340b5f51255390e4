#pragma once

#include <cstdint>

struct ShaderProgram;

// Holds the "Debugger" program for viewing a texture; built and rebuilt (F5) but drawn by no stage.
class DebugPass {
  public:
    DebugPass(); // builds "Debugger"
    ~DebugPass();
    DebugPass(const DebugPass&) = delete;
    DebugPass& operator=(const DebugPass&) = delete;

    ShaderProgram* program = nullptr;
    int32_t texLocation = -1;
};
