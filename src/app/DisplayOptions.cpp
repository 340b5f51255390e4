#include "app/DisplayOptions.h"

#include <iostream>
#include <sstream>
#include <string>

bool parseIntValue(const char* text, int32_t& value) {
    if (!text)
        return false;
    std::istringstream in(text);
    int32_t parsed = 0;
    if (!(in >> parsed))
        return false;
    value = parsed;
    return true;
}

void scanDisplayOptions(int argc, const char* const* argv, DisplayMode& mode) {
    // A missing value reads as a null argument, which does not parse.
    auto argument = [&](int index) { return index < argc ? argv[index] : nullptr; };

    int i = 1;
    while (i < argc) {
        const std::string option = argv[i];
        if (option == "-r") {
            if (!parseIntValue(argument(i + 1), mode.refreshRate))
                return;
            i += 2;
        } else if (option == "-d") {
            if (!parseIntValue(argument(i + 1), mode.width))
                return;
            if (!parseIntValue(argument(i + 2), mode.height))
                return;
            mode.fullscreen = false;
            i += 3;
        } else {
            std::cout << "UNKNOWN OPTION! DEFAULT!" << std::endl;
            mode.refreshRate = 60;
            mode.fullscreen = true;
            return;
        }
    }
}

void fitToMonitor(DisplayMode& mode, int32_t monitorWidth, int32_t monitorHeight) {
    if (mode.fullscreen) {
        mode.width = monitorWidth;
        mode.height = monitorHeight;
        return;
    }
    mode.posX = static_cast<int32_t>(monitorWidth * 0.5) - mode.width / 2;
    mode.posY = static_cast<int32_t>(monitorHeight * 0.5) - mode.height / 2;
}

bool windowSizeSupported(int32_t width, int32_t height) {
    return width > 0 && height > 0 && width <= MaxWindowSide && height <= MaxWindowSide;
}
