#include "app/Window.h"

#include "app/Automation.h"
#include "app/Console.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <iostream>

Window::Window(int argc, char** argv) {
    printStatusLabel("WINDOW");
    GLFWmonitor* monitor = parseDisplayOptions(argc, argv);
    createWindow(monitor);
    std::cout << "OK!" << std::endl;
}

Window::~Window() {
    printStatusLabel("WINDOW");
    glfwDestroyWindow(handle);
    handle = nullptr;
    std::cout << "OK!" << std::endl;
}

GLFWmonitor* Window::parseDisplayOptions(int argc, char** argv) {
    scanDisplayOptions(argc, argv, *this);
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    // Without a monitor there is nothing to fill or centre on; window creation then fails as it should.
    if (mode)
        fitToMonitor(*this, mode->width, mode->height);
    return fullscreen ? monitor : nullptr;
}

void Window::createWindow(GLFWmonitor* monitor) {
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 5);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_REFRESH_RATE, refreshRate);
    glfwWindowHint(GLFW_SAMPLES, 4);
    // Asked for only with the switch: a normal run keeps exactly the hints above.
    if (automation().glDebug != GlDebugLevel::Off)
        glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);

    // GLFW asserts on a negative size and the X library fails in ways that end the process before any
    // prompt, so sizes it cannot hold are refused here, on the same path as a failed creation.
    handle = windowSizeSupported(width, height) ? glfwCreateWindow(width, height, "Demo", monitor, nullptr)
                                                : nullptr;
    if (!handle)
        fatalError("FAIL!");

    glfwSetWindowPos(handle, posX, posY);
    glfwMakeContextCurrent(handle);
    glfwSetInputMode(handle, GLFW_CURSOR, GLFW_CURSOR_DISABLED);

    // Culling is never enabled, so the culled face is a setting only; depth testing stays on for good.
    glCullFace(GL_FRONT_AND_BACK);
    glEnable(GL_DEPTH_TEST);
    glfwSetCursorPos(handle, width * 0.5f, height * 0.5f);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glViewport(0, 0, width, height);
}
