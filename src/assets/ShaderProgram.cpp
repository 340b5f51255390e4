#include "assets/ShaderProgram.h"

#include "assets/DebugNames.h"
#include "assets/RegularFile.h"

#include <GL/glew.h>
#include <cstring>
#include <iostream>

namespace {

// What readTextFile hands back for a file it could not open; compileStage treats it as "no source".
const std::string UnreadableFile = "ERROR";

// An info log as text. The reported length counts the terminating NUL and may be 0 when the driver has
// nothing to say; the text is cut at the first NUL so nothing past the log is ever read.
std::string infoLogText(std::string buffer) {
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

std::string shaderInfoLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0)
        return {};
    std::string buffer(static_cast<size_t>(length), '\0');
    glGetShaderInfoLog(shader, length, nullptr, buffer.data());
    return infoLogText(std::move(buffer));
}

std::string programInfoLog(GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0)
        return {};
    std::string buffer(static_cast<size_t>(length), '\0');
    glGetProgramInfoLog(program, length, nullptr, buffer.data());
    return infoLogText(std::move(buffer));
}

// What a pass keeps of a failed build: where it failed and the first line of the reason.
void noteFailure(std::string* failure, const std::string& where, const std::string& log) {
    const std::string first = log.substr(0, log.find('\n'));
    if (failure)
        *failure = where + ": " + (first.empty() ? "failed without a log" : first);
}

std::string fileName(const std::string& path) {
    return path.substr(path.find_last_of("/\\") + 1);
}

// Shared by both forms of linkProgram; a geometry name of 0 means "two stages".
bool linkStages(uint32_t vertexShader, uint32_t fragmentShader, uint32_t geometryShader, bool withGeometry,
                uint32_t& program, std::string* failure = nullptr) {
    program = glCreateProgram();
    if (program == 0) {
        std::cout << "ERROR CREATING SHADER PROGRAM" << std::endl;
        noteFailure(failure, "link", "no program object");
        return false;
    }
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    if (withGeometry)
        glAttachShader(program, geometryShader);
    glLinkProgram(program);

    GLint status = 1;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status != 0)
        return true;
    const std::string log = programInfoLog(program);
    std::cout << "ERROR LINKING PROGRAM SHADER: " << log << std::endl;
    noteFailure(failure, "link", log);
    return false;
}

// Tries every stage of one build; the fragment stage is compiled even after a failed vertex stage so
// that one run shows the errors of both files. `failure` keeps the first stage's reason.
bool compileAndLink(const std::string& stem, bool withGeometry, ShaderProgram& shader, std::string& failure) {
    const bool vertexOk = compileStage(stem + ".vert", GL_VERTEX_SHADER, shader.vertexShader, &failure);
    std::string fragmentFailure;
    const bool fragmentOk =
        compileStage(stem + ".frag", GL_FRAGMENT_SHADER, shader.fragmentShader, &fragmentFailure);
    if (vertexOk)
        failure = fragmentFailure;
    if (!vertexOk || !fragmentOk)
        return false;
    if (!withGeometry)
        return linkStages(shader.vertexShader, shader.fragmentShader, 0, false, shader.program, &failure);
    // A geometry stage that did not compile (or could not be read) stops the build here: linking
    // without it would attach the name 0 and could hand back a program that silently lacks the stage.
    if (!compileStage(stem + ".geom", GL_GEOMETRY_SHADER, shader.geometryShader, &failure))
        return false;
    return linkStages(shader.vertexShader, shader.fragmentShader, shader.geometryShader, true, shader.program,
                      &failure);
}

} // namespace

ShaderProgram* createShaderProgram(const std::string& directory, const std::string& baseName,
                                   bool withGeometry, std::string* failure) {
    auto* shader = new ShaderProgram{};
    std::string reason;
    const bool built = compileAndLink(directory + baseName, withGeometry, *shader, reason);
    if (failure)
        *failure = built ? std::string() : reason;
    if (built) {
        labelObject(GL_PROGRAM, shader->program, baseName);
        return shader;
    }
    std::cout << "DELETING ERRONEOUS SHADER: " << baseName << std::endl;
    destroyShaderProgram(shader);
    return nullptr;
}

void destroyShaderProgram(ShaderProgram* shader) {
    if (!shader)
        return;
    // Deleting the name 0 is a no-op, so stages that were never created need no special case.
    glDeleteProgram(shader->program);
    glDeleteShader(shader->vertexShader);
    glDeleteShader(shader->fragmentShader);
    glDeleteShader(shader->geometryShader);
    delete shader;
}

bool compileStage(const std::string& path, uint32_t stageType, uint32_t& shader, std::string* failure) {
    const std::string source = readTextFile(path);
    // The reader has already said why; a file that merely starts with these letters is compiled.
    if (source == UnreadableFile) {
        noteFailure(failure, fileName(path), "cannot be opened");
        return false;
    }

    shader = glCreateShader(stageType);
    if (shader == 0) {
        std::cout << "ERROR CREATING SHADER HANDLE" << std::endl;
        noteFailure(failure, fileName(path), "no shader object");
        return false;
    }
    labelObject(GL_SHADER, shader, fileName(path));
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);

    GLint status = 1;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != 0)
        return true;
    const std::string log = shaderInfoLog(shader);
    std::cout << "COMPILER ERROR:" << path << log << std::endl;
    noteFailure(failure, fileName(path), log);
    return false;
}

bool linkProgram(uint32_t vertexShader, uint32_t fragmentShader, uint32_t& program) {
    return linkStages(vertexShader, fragmentShader, 0, false, program);
}

bool linkProgram(uint32_t vertexShader, uint32_t fragmentShader, uint32_t geometryShader, uint32_t& program) {
    return linkStages(vertexShader, fragmentShader, geometryShader, true, program);
}

std::string readTextFile(const std::string& path) {
    std::optional<std::string> source = readRegularFile(path);
    if (!source) {
        std::cout << "ERROR OPENING FILE: " << path << std::endl;
        return UnreadableFile;
    }
    return std::move(*source);
}
