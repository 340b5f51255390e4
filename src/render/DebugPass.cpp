#include "render/DebugPass.h"

#include "assets/ShaderProgram.h"

#include <GL/glew.h>

DebugPass::DebugPass() {
    program = createShaderProgram(ShaderDirectory, "Debugger", false, &buildFailure);
    if (program)
        texLocation = glGetUniformLocation(program->program, "tex");
}

DebugPass::~DebugPass() {
    destroyShaderProgram(program);
}
