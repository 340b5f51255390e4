#include "GlTest.h"

#include <GLFW/glfw3.h>
#include <cstdio>
#include <cstdlib>

namespace {

std::vector<std::string> collectedErrors;

void GLAPIENTRY onDebugMessage(GLenum /*source*/, GLenum type, GLuint /*id*/, GLenum severity, GLsizei length,
                               const GLchar* message, const void* /*user*/) {
    if (type == GL_DEBUG_TYPE_ERROR || severity == GL_DEBUG_SEVERITY_HIGH)
        collectedErrors.emplace_back(message, static_cast<size_t>(length));
}

[[noreturn]] void giveUp(const char* why) {
    std::fprintf(stderr, "GL tests: %s (run them under xvfb-run)\n", why);
    std::abort();
}

GLFWwindow* createHiddenWindow() {
    if (!glfwInit())
        giveUp("no display");
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 5);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(320, 240, "GL test", nullptr, nullptr);
    if (!window)
        giveUp("no OpenGL 4.5 core window");
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
        giveUp("glewInit failed");
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(onDebugMessage, nullptr);
    drainGlErrors();
    // Terminate at exit so the driver's own teardown runs before the leak checker looks.
    std::atexit([] { glfwTerminate(); });
    return window;
}

} // namespace

GLFWwindow* GlTest::window() {
    static GLFWwindow* const instance = createHiddenWindow();
    return instance;
}

const std::vector<std::string>& GlTest::debugErrors() {
    return collectedErrors;
}

void GlTest::clearDebugErrors() {
    collectedErrors.clear();
}

void GlTest::acceptCompilerMessages(const std::string& printedLogs) {
    for (const std::string& message : debugErrors())
        EXPECT_NE(printedLogs.find(message), std::string::npos) << "unexpected debug error: " << message;
    clearDebugErrors();
}

void GlTest::SetUp() {
    glfwMakeContextCurrent(window());
    drainGlErrors();
    clearDebugErrors();
}

void GlTest::TearDown() {
    EXPECT_EQ(drainGlErrors(), std::vector<std::string>{});
    EXPECT_EQ(debugErrors(), std::vector<std::string>{});
}

std::vector<std::string> drainGlErrors() {
    std::vector<std::string> errors;
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError()) {
        char text[32];
        std::snprintf(text, sizeof text, "GL error 0x%04X", error);
        errors.emplace_back(text);
    }
    return errors;
}

GLint glInteger(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

std::map<std::string, int> liveGlObjects() {
    const std::pair<const char*, GLboolean(GLAPIENTRY*)(GLuint)> kinds[] = {
        {"textures", glIsTexture},
        {"buffers", glIsBuffer},
        {"vertex arrays", glIsVertexArray},
        {"framebuffers", glIsFramebuffer},
        {"renderbuffers", glIsRenderbuffer},
        {"programs", glIsProgram},
        {"shaders", glIsShader},
        {"queries", glIsQuery}};
    std::map<std::string, int> counts;
    for (const auto& [kind, isObject] : kinds)
        for (GLuint name = 1; name < 4096; ++name)
            counts[kind] += isObject(name) == GL_TRUE;
    return counts;
}
