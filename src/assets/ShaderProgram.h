#pragma once

#include <cstdint>
#include <string>

// Where every pass finds its stage files: ShaderDirectory + base name + ".vert" / ".frag" / ".geom".
inline constexpr const char* ShaderDirectory = "../Resources/Shaders/";

// A linked program with the stage objects that stay attached to it for its whole life.
// Owned by exactly one pass; created by createShaderProgram, released by destroyShaderProgram.
struct ShaderProgram {
    uint32_t program = 0;
    uint32_t vertexShader = 0;
    uint32_t fragmentShader = 0;
    uint32_t geometryShader = 0; // 0 for programs without a geometry stage
};

// Builds directory + baseName + extensions. Returns null after printing the failure lines and deleting
// every object it created, so a failed build leaves nothing behind. `failure`, when given, receives the
// first line of what went wrong ("Phong.frag: " and the first line of the compiler's log, say), or is
// emptied by a build that succeeds: a pass keeps it to show beside its state.
ShaderProgram* createShaderProgram(const std::string& directory, const std::string& baseName,
                                   bool withGeometry, std::string* failure = nullptr);

// Deletes the program and its stages and frees the record; a null pointer is ignored.
void destroyShaderProgram(ShaderProgram* shader);

// Reads and compiles one stage; `shader` receives the object name as soon as it exists. On failure
// `failure`, when given, receives the file's name and the first line of the log.
bool compileStage(const std::string& path, uint32_t stageType, uint32_t& shader,
                  std::string* failure = nullptr);

// Creates, attaches (vertex, fragment[, geometry]) and links; `program` receives the name as soon as it
// exists.
bool linkProgram(uint32_t vertexShader, uint32_t fragmentShader, uint32_t& program);
bool linkProgram(uint32_t vertexShader, uint32_t fragmentShader, uint32_t geometryShader, uint32_t& program);

// The whole file, or the five characters "ERROR" (after printing a line) when it cannot be opened.
std::string readTextFile(const std::string& path);
