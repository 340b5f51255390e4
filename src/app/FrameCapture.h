#pragma once

#include <cstdint>
#include <string>

// Reads the back buffer of the current window (width x height) and writes it as an opaque PNG. Says on
// standard error why when it cannot, and returns false; the run goes on either way.
bool writeFrameCapture(const std::string& path, int width, int height);

// DEMO_RECORD: every frame as folder/00000.png, folder/00001.png, ..., each read like the capture. A frame
// that cannot be written is left out and the recording goes on; only the first such frame is reported, so
// a full disk does not bury standard error under one line per frame.
class FrameRecorder {
  public:
    explicit FrameRecorder(std::string folder) : folder_(std::move(folder)) {}

    // The next frame, from the back buffer of the current window.
    void writeFrame(int width, int height);

  private:
    std::string folder_;
    int64_t nextFrame_ = 0;
    bool failureReported_ = false;
};
