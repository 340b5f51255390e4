#include "app/FrameStats.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <numeric>

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

void FrameStats::report(std::ostream& out) const {
    out << "frames      " << frameMs_.size() << '\n';
    printSummary(out, "frame", summarize(frameMs_));
    for (const auto& [stage, samples] : stageMs_)
        printSummary(out, stage, summarize(samples));
    out.flush();
}
