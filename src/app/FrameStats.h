#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

struct Summary {
    size_t count = 0;
    double mean = 0.0;
    double median = 0.0;
    double percentile95 = 0.0;
};

// Nearest-rank statistics of a series; all zero for an empty one.
Summary summarize(std::vector<double> samples);

// Frame times and per-stage times in milliseconds, for the DEMO_STATS report.
class FrameStats {
  public:
    FrameStats() { frameMs_.reserve(4096); }

    void addFrame(double milliseconds) { frameMs_.push_back(milliseconds); }
    void addStage(const std::string& stage, double milliseconds) { stageMs_[stage].push_back(milliseconds); }

    void report(std::ostream& out) const;

  private:
    std::vector<double> frameMs_;
    std::map<std::string, std::vector<double>> stageMs_;
};
