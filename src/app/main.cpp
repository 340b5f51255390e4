#include "app/Automation.h"
#include "app/Console.h"
#include "app/Engine.h"
#include "app/KeyHandler.h"
#include "app/Signals.h"
#include "app/Window.h"

#include <GLFW/glfw3.h>
#include <iostream>

int main(int argc, char** argv) {
    // Before any library opens a file.
    openClosedStandardStreams();
    // Refused before anything starts, so that standard output holds nothing of a run that never was.
    if (const std::string& problem = automation().problem; !problem.empty()) {
        std::cerr << "demo: invalid " << problem << std::endl;
        return 2;
    }
    installStopHandlers();
    startUp(argc, argv);
    glfwSetKeyCallback(window().handle, keyCallback);
    runFrameLoop();
    shutDown();
    return 0;
}
