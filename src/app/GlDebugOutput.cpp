#include "app/GlDebugOutput.h"

#include "assets/DebugNames.h"

#include <GL/glew.h>
#include <array>
#include <iostream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr std::array<const char*, 4> SeverityNames = {"high", "medium", "low", "notification"};

struct DistinctMessage {
    std::string line; // as it is written
    size_t count = 0; // times it came
};

// What the callback has seen. The callback runs on the thread that made the GL call, which is always the
// main thread, so nothing here is locked.
struct MessageLog {
    bool installed = false;
    std::map<std::tuple<GLenum, GLenum, GLuint, std::string>, size_t> seen; // index into `distinct`
    std::vector<DistinctMessage> distinct;                                  // in the order they first came
    size_t written = 0; // distinct[0, written) are on standard error
    std::array<size_t, SeverityNames.size()> bySeverity{};
};

MessageLog& messageLog() {
    static MessageLog log;
    return log;
}

size_t severityIndex(GLenum severity) {
    switch (severity) {
    case GL_DEBUG_SEVERITY_HIGH:
        return 0;
    case GL_DEBUG_SEVERITY_MEDIUM:
        return 1;
    case GL_DEBUG_SEVERITY_LOW:
        return 2;
    default:
        return 3;
    }
}

const char* typeName(GLenum type) {
    switch (type) {
    case GL_DEBUG_TYPE_ERROR:
        return "error";
    case GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR:
        return "deprecated behaviour";
    case GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR:
        return "undefined behaviour";
    case GL_DEBUG_TYPE_PORTABILITY:
        return "portability";
    case GL_DEBUG_TYPE_PERFORMANCE:
        return "performance";
    case GL_DEBUG_TYPE_MARKER:
        return "marker";
    default:
        return "other";
    }
}

const char* sourceName(GLenum source) {
    switch (source) {
    case GL_DEBUG_SOURCE_API:
        return "api";
    case GL_DEBUG_SOURCE_WINDOW_SYSTEM:
        return "window system";
    case GL_DEBUG_SOURCE_SHADER_COMPILER:
        return "shader compiler";
    case GL_DEBUG_SOURCE_THIRD_PARTY:
        return "third party";
    case GL_DEBUG_SOURCE_APPLICATION:
        return "application";
    default:
        return "other source";
    }
}

// `demo: GL error (high severity, api) in "house.obj": GL_INVALID_OPERATION in ...`, on one line however
// many the driver's text takes.
std::string messageLine(GLenum source, GLenum type, GLenum severity, std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    for (char& c : text)
        c = c == '\n' ? ' ' : c;
    const char* group = innermostDebugGroup();
    return std::string("demo: GL ") + typeName(type) + " (" + SeverityNames[severityIndex(severity)] +
           " severity, " + sourceName(source) + ") " +
           (group ? "in \"" + std::string(group) + "\"" : std::string("outside any group")) + ": " + text;
}

void GLAPIENTRY queueMessage(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei length,
                             const GLchar* message, const void* /*user*/) {
    MessageLog& log = messageLog();
    ++log.bySeverity[severityIndex(severity)];
    std::string text = length >= 0 ? std::string(message, static_cast<size_t>(length)) : std::string(message);
    const auto [entry, added] = log.seen.try_emplace({source, type, id, text}, log.distinct.size());
    if (added)
        log.distinct.push_back({messageLine(source, type, severity, std::move(text)), 0});
    ++log.distinct[entry->second].count;
}

const char* driverString(GLenum name) {
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text ? text : "(not given)";
}

} // namespace

void startGlDebugOutput(GlDebugLevel level) {
    if (level == GlDebugLevel::Off)
        return;
    std::cerr << "demo: GL vendor: " << driverString(GL_VENDOR)
              << "\ndemo: GL renderer: " << driverString(GL_RENDERER)
              << "\ndemo: GL version: " << driverString(GL_VERSION)
              << "\ndemo: GLSL version: " << driverString(GL_SHADING_LANGUAGE_VERSION) << std::endl;
    glEnable(GL_DEBUG_OUTPUT);
    // The callback then runs inside the call that caused the message, while the engine's group is open.
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    // The engine's own groups say nothing a reader needs; the driver's notifications are many and rarely
    // matter, so only DEMO_GL_DEBUG=all asks for them.
    glDebugMessageControl(GL_DONT_CARE, GL_DEBUG_TYPE_PUSH_GROUP, GL_DONT_CARE, 0, nullptr, GL_FALSE);
    glDebugMessageControl(GL_DONT_CARE, GL_DEBUG_TYPE_POP_GROUP, GL_DONT_CARE, 0, nullptr, GL_FALSE);
    if (level != GlDebugLevel::All)
        glDebugMessageControl(GL_DONT_CARE, GL_DONT_CARE, GL_DEBUG_SEVERITY_NOTIFICATION, 0, nullptr,
                              GL_FALSE);
    glDebugMessageCallback(queueMessage, nullptr);
    messageLog().installed = true;
}

void writeGlDebugMessages() {
    MessageLog& log = messageLog();
    for (; log.written < log.distinct.size(); ++log.written)
        std::cerr << log.distinct[log.written].line << std::endl;
}

void finishGlDebugOutput() {
    MessageLog& log = messageLog();
    if (!log.installed)
        return;
    writeGlDebugMessages();
    size_t total = 0, repeated = 0, repeats = 0;
    for (const size_t count : log.bySeverity)
        total += count;
    for (const DistinctMessage& message : log.distinct) {
        repeated += message.count > 1;
        repeats += message.count - 1;
    }
    std::cerr << "demo: GL debug output: " << total << (total == 1 ? " message (" : " messages (");
    for (size_t severity = 0; severity < SeverityNames.size(); ++severity)
        std::cerr << (severity ? ", " : "") << log.bySeverity[severity] << ' ' << SeverityNames[severity];
    std::cerr << "), " << log.distinct.size() << " distinct, ";
    if (repeated == 0)
        std::cerr << "none repeated" << std::endl;
    else
        std::cerr << repeated << " of them repeated, " << repeats << (repeats == 1 ? " time" : " times")
                  << " more" << std::endl;
}
