#include "render/StageTimer.h"

#include "assets/DebugNames.h"

#include <GL/glew.h>
#include <cassert>
#include <string>

StageTimer::StageTimer(std::vector<const char*> stageNames) : names_(std::move(stageNames)) {
    for (size_t set = 0; set < FramesInFlight; ++set) {
        queries_[set].assign(names_.size(), 0);
        recorded_[set].assign(names_.size(), false);
        // Created rather than only generated, so that each query exists, and takes its label, at once.
        glCreateQueries(GL_TIME_ELAPSED, static_cast<GLsizei>(names_.size()), queries_[set].data());
        for (size_t stage = 0; stage < names_.size(); ++stage)
            labelObject(GL_QUERY, queries_[set][stage],
                        names_[stage] + (" timer " + std::to_string(set + 1)));
    }
    collected_.reserve(names_.size() * FramesInFlight);
}

StageTimer::~StageTimer() {
    for (auto& set : queries_)
        glDeleteQueries(static_cast<GLsizei>(set.size()), set.data());
}

bool StageTimer::resultsAvailable(size_t set) const {
    for (size_t stage = 0; stage < names_.size(); ++stage) {
        if (!recorded_[set][stage])
            continue;
        GLuint available = GL_FALSE;
        glGetQueryObjectuiv(queries_[set][stage], GL_QUERY_RESULT_AVAILABLE, &available);
        if (available == GL_FALSE)
            return false;
    }
    return true;
}

void StageTimer::collect(size_t set, bool wait) {
    bool anyRecorded = false;
    for (const bool recorded : recorded_[set])
        anyRecorded = anyRecorded || recorded;
    if (!anyRecorded)
        return;
    if (!wait && !resultsAvailable(set)) {
        ++droppedFrames_;
    } else {
        // GL_QUERY_RESULT waits for the GPU where the result is not there yet.
        for (size_t stage = 0; stage < names_.size(); ++stage) {
            if (!recorded_[set][stage])
                continue;
            GLuint64 nanoseconds = 0;
            glGetQueryObjectui64v(queries_[set][stage], GL_QUERY_RESULT, &nanoseconds);
            collected_.push_back({setFrame_[set], names_[stage], static_cast<double>(nanoseconds) * 1e-6});
        }
    }
    recorded_[set].assign(names_.size(), false);
}

void StageTimer::beginFrame() {
    assert(openStage_ == SIZE_MAX && "a stage was left open");
    currentSet_ = (currentSet_ + 1) % FramesInFlight;
    collected_.clear();
    collect(currentSet_, false);
    setFrame_[currentSet_] = framesBegun_++;
}

void StageTimer::collectOutstanding() {
    assert(openStage_ == SIZE_MAX && "a stage was left open");
    collected_.clear();
    // The set after the current one was recorded longest ago.
    for (size_t age = 1; age <= FramesInFlight; ++age)
        collect((currentSet_ + age) % FramesInFlight, true);
}

void StageTimer::beginStage(size_t stage) {
    assert(stage < names_.size() && openStage_ == SIZE_MAX);
    glBeginQuery(GL_TIME_ELAPSED, queries_[currentSet_][stage]);
    openStage_ = stage;
}

void StageTimer::endStage() {
    assert(openStage_ != SIZE_MAX);
    glEndQuery(GL_TIME_ELAPSED);
    recorded_[currentSet_][openStage_] = true;
    openStage_ = SIZE_MAX;
}
