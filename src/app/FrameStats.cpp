#include "app/FrameStats.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <numeric>

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

Summary summarize(std::vector<double> samples) {
    Summary result;
    result.count = samples.size();
    if (samples.empty())
        return result;
    std::sort(samples.begin(), samples.end());
    result.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(samples.size());
    const size_t middle = samples.size() / 2;
    result.median = samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2.0;
    // Nearest rank: the smallest sample with at least 95 % of the samples at or below it.
    const size_t rank = static_cast<size_t>(std::ceil(0.95 * static_cast<double>(samples.size())));
    result.percentile95 = samples[std::max<size_t>(rank, 1) - 1];
    return result;
}

namespace {

void printSummary(std::ostream& out, const std::string& name, const Summary& summary) {
    out << std::left << std::setw(12) << name << std::right << std::fixed << std::setprecision(3) << " mean "
        << std::setw(9) << summary.mean << " ms  median " << std::setw(9) << summary.median << " ms  p95 "
        << std::setw(9) << summary.percentile95 << " ms\n";
}

} // namespace

void FrameStats::addFrame(double engineSeconds, double milliseconds) {
    frames_.push_back({engineSeconds, milliseconds, {}});
}

void FrameStats::addStage(size_t frame, const std::string& stage, double milliseconds) {
    if (frame >= frames_.size())
        return;
    const size_t index =
        static_cast<size_t>(std::find(stageNames_.begin(), stageNames_.end(), stage) - stageNames_.begin());
    if (index == stageNames_.size())
        stageNames_.push_back(stage);
    std::vector<double>& times = frames_[frame].stageMs;
    if (times.size() <= index)
        times.resize(index + 1, -1.0);
    times[index] = milliseconds;
}

void FrameStats::report(std::ostream& out) const {
    std::vector<double> frameMs;
    for (const Frame& frame : frames_)
        frameMs.push_back(frame.milliseconds);
    out << "frames      " << frames_.size() << '\n';
    if (startupMs_ >= 0.0)
        out << "startup     " << std::fixed << std::setprecision(3) << startupMs_ << " ms\n";
    printSummary(out, "frame", summarize(frameMs));
    for (size_t stage = 0; stage < stageNames_.size(); ++stage) {
        std::vector<double> samples;
        for (const Frame& frame : frames_)
            if (stage < frame.stageMs.size() && frame.stageMs[stage] >= 0.0)
                samples.push_back(frame.stageMs[stage]);
        printSummary(out, stageNames_[stage], summarize(samples));
    }
    if (droppedGpuFrames_ > 0)
        out << "gpu dropped " << droppedGpuFrames_ << " frames (their GPU times are left out)\n";
    out.flush();
}

void FrameStats::writeCsv(std::ostream& out) const {
    if (startupMs_ >= 0.0)
        out << "# startup_ms " << std::fixed << std::setprecision(3) << startupMs_ << '\n';
    out << "frame,engine_s,frame_ms";
    for (const std::string& name : stageNames_)
        out << ',' << name;
    out << '\n' << std::fixed;
    for (size_t index = 0; index < frames_.size(); ++index) {
        const Frame& frame = frames_[index];
        out << index << ',' << std::setprecision(4) << frame.engineSeconds << ',' << std::setprecision(3)
            << frame.milliseconds;
        for (size_t stage = 0; stage < stageNames_.size(); ++stage) {
            out << ',';
            if (stage < frame.stageMs.size() && frame.stageMs[stage] >= 0.0)
                out << frame.stageMs[stage];
        }
        out << '\n';
    }
    out.flush();
}
