#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// One stage's GPU time in one frame.
struct StageTime {
    size_t frame;      // counted from 0 by the timer's beginFrame calls
    const char* stage; // a name given to the timer, e.g. "gpu shadow"
    double milliseconds;
};

// The GPU time of each stage of a frame, from GL_TIME_ELAPSED queries. Every frame records into its own
// set of queries; a set is read back when it comes round again, FramesInFlight frames later, and only
// when the driver says its results are there, so that the frame loop never waits for the GPU. A set whose
// results are still missing by then is dropped rather than waited for. At the end of a run the sets still
// in flight are waited for, so that the last frames have their times too.
class StageTimer {
  public:
    static constexpr size_t FramesInFlight = 3;

    explicit StageTimer(std::vector<const char*> stageNames); // creates the queries
    ~StageTimer();                                            // deletes them
    StageTimer(const StageTimer&) = delete;
    StageTimer& operator=(const StageTimer&) = delete;

    // Collects the results of the set this frame is about to reuse, then starts recording into it.
    void beginFrame();
    // Stages are timed one after another, never nested (one GL_TIME_ELAPSED query can be active).
    void beginStage(size_t stage);
    void endStage();
    // Waits for the results of every frame still in flight and collects them, oldest frame first.
    void collectOutstanding();

    // The stage times collected by the latest beginFrame or collectOutstanding, in frame and stage order.
    const std::vector<StageTime>& collected() const { return collected_; }
    size_t droppedFrames() const { return droppedFrames_; }

  private:
    bool resultsAvailable(size_t set) const;
    void collect(size_t set, bool wait);

    std::vector<const char*> names_;
    std::array<std::vector<uint32_t>, FramesInFlight> queries_; // [set][stage]
    std::array<std::vector<bool>, FramesInFlight> recorded_;    // [set][stage]: begun and ended
    std::array<size_t, FramesInFlight> setFrame_{};             // the frame each set last recorded
    size_t currentSet_ = 0;
    size_t framesBegun_ = 0;
    size_t openStage_ = SIZE_MAX; // the stage whose query is active, if any
    std::vector<StageTime> collected_;
    size_t droppedFrames_ = 0;
};
