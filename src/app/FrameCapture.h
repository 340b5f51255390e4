#pragma once

#include <string>

// Reads the back buffer of the current window (width x height) and writes it as an opaque PNG. Says on
// standard error why when it cannot, and returns false; the run goes on either way.
bool writeFrameCapture(const std::string& path, int width, int height);
