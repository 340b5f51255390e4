#include "app/Engine.h"
#include "app/KeyHandler.h"
#include "app/Window.h"

#include <GLFW/glfw3.h>

int main(int argc, char** argv) {
    startUp(argc, argv);
    glfwSetKeyCallback(window().handle, keyCallback);
    runFrameLoop();
    shutDown();
    return 0;
}
