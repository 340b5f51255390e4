#include "app/Automation.h"

#include "app/FrameStats.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>

namespace {

Automation readFrom(const std::map<std::string, std::string>& environment) {
    return readAutomation([&](const char* name) -> const char* {
        const auto found = environment.find(name);
        return found == environment.end() ? nullptr : found->second.c_str();
    });
}

TEST(Automation, UnsetChangesNothing) {
    const Automation none = readFrom({});
    EXPECT_FALSE(none.frames);
    EXPECT_FALSE(none.timestep);
    EXPECT_FALSE(none.seed);
    EXPECT_TRUE(none.capturePath.empty());
    EXPECT_FALSE(none.stats);
}

TEST(Automation, ReadsEverySwitch) {
    const Automation all = readFrom({{"DEMO_FRAMES", "300"},
                                     {"DEMO_TIMESTEP", "0.05"},
                                     {"DEMO_SEED", "42"},
                                     {"DEMO_CAPTURE", "out.png"},
                                     {"DEMO_STATS", "1"}});
    EXPECT_EQ(all.frames, 300);
    EXPECT_EQ(all.timestep, 0.05f);
    EXPECT_EQ(all.seed, 42u);
    EXPECT_EQ(all.capturePath, "out.png");
    EXPECT_TRUE(all.stats);
}

TEST(Automation, IgnoresValuesThatDoNotParse) {
    const Automation bad = readFrom(
        {{"DEMO_FRAMES", "12abc"}, {"DEMO_TIMESTEP", "-1"}, {"DEMO_SEED", "-3"}, {"DEMO_STATS", "0"}});
    EXPECT_FALSE(bad.frames);
    EXPECT_FALSE(bad.timestep);
    EXPECT_FALSE(bad.seed);
    EXPECT_FALSE(bad.stats);
    EXPECT_FALSE(readFrom({{"DEMO_FRAMES", "0"}}).frames);
}

TEST(Summarize, MeanMedianAndNearestRankPercentile) {
    std::vector<double> samples;
    for (int i = 100; i >= 1; --i)
        samples.push_back(i);
    const Summary s = summarize(samples);
    EXPECT_EQ(s.count, 100u);
    EXPECT_DOUBLE_EQ(s.mean, 50.5);
    EXPECT_DOUBLE_EQ(s.median, 50.5);
    EXPECT_DOUBLE_EQ(s.percentile95, 95.0);

    const Summary odd = summarize({3.0, 1.0, 2.0});
    EXPECT_DOUBLE_EQ(odd.median, 2.0);
    EXPECT_DOUBLE_EQ(odd.percentile95, 3.0);
    EXPECT_EQ(summarize({}).count, 0u);
}

TEST(FrameStats, ReportNamesFramesAndStages) {
    FrameStats stats;
    stats.addFrame(10.0);
    stats.addFrame(20.0);
    stats.addStage("shadow", 4.0);
    std::ostringstream out;
    stats.report(out);
    EXPECT_NE(out.str().find("frames      2"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("mean    15.000 ms"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("shadow"), std::string::npos) << out.str();
}

} // namespace
