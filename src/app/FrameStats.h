#pragma once

#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

struct Summary {
    size_t count = 0;
    double mean = 0.0;
    double median = 0.0;
    double percentile95 = 0.0;
};

// Milliseconds from `start` until now, on the clock frame times are taken with.
double millisecondsSince(std::chrono::steady_clock::time_point start);

// Nearest-rank statistics of a series; all zero for an empty one.
Summary summarize(std::vector<double> samples);

// Frame times and per-stage GPU times in milliseconds, for DEMO_STATS: a summary, or one row per frame.
class FrameStats {
  public:
    FrameStats() { frames_.reserve(4096); }

    // Frame number frameCount() - 1 from now on: it started at `engineSeconds` on the engine clock.
    void addFrame(double engineSeconds, double milliseconds);
    // A stage's GPU time arrives a few frames after its frame; `frame` says which one it was.
    void addStage(size_t frame, const std::string& stage, double milliseconds);
    // Frames whose GPU times never arrived; the summary names them.
    void setDroppedGpuFrames(size_t count) { droppedGpuFrames_ = count; }
    size_t frameCount() const { return frames_.size(); }
    // From the start of the process to the end of the first frame.
    void setStartup(double milliseconds) { startupMs_ = milliseconds; }

    void report(std::ostream& out) const;
    // "frame,engine_s,frame_ms" and one column per stage; a stage time that never arrived stays empty. The
    // start-up time, when measured, comes first as the comment line "# startup_ms <value>".
    void writeCsv(std::ostream& out) const;

  private:
    struct Frame {
        double engineSeconds = 0.0;
        double milliseconds = 0.0;
        std::vector<double> stageMs; // by stage index; negative where no time arrived
    };
    std::vector<Frame> frames_;
    double startupMs_ = -1.0;             // negative: not measured
    std::vector<std::string> stageNames_; // in order of first arrival
    size_t droppedGpuFrames_ = 0;
};
