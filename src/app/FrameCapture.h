#pragma once

#include <cstdint>
#include <string>

// Reads the back buffer of the current window (width x height) and writes it as an opaque PNG. Says on
// standard error why when it cannot, and returns false; the run goes on either way.
bool writeFrameCapture(const std::string& path, int width, int height);

// DEMO_RECORD: every frame as folder/00000.png, folder/00001.png, ..., each read like the capture and
// written whole or not at all. The recording stops at the first frame that cannot be written, which is
// reported, so that the folder holds an unbroken sequence from 00000.png that a video encoder reads to its
// end; the run goes on.
class FrameRecorder {
  public:
    explicit FrameRecorder(std::string folder) : folder_(std::move(folder)) {}

    // The next frame, from the back buffer of the current window.
    void writeFrame(int width, int height);

  private:
    std::string folder_;
    int64_t nextFrame_ = 0;
    bool stopped_ = false;
};
