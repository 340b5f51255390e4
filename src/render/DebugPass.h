#pragma once

#include <cstdint>
#include <string>

struct ShaderProgram;

// Holds the "Debugger" program for viewing a texture; built and rebuilt (F5) but drawn by no stage.
class DebugPass {
  public:
    DebugPass(); // builds "Debugger"
    ~DebugPass();
    DebugPass(const DebugPass&) = delete;
    DebugPass& operator=(const DebugPass&) = delete;

    ShaderProgram* program = nullptr;
    std::string buildFailure; // the first line of why the last build failed; empty after a good one
    int32_t texLocation = -1;
};
