// The frame statistics of a scripted run. The GPU delivers a frame's stage times some frames after the
// frame, so the last frames' times are still on their way when the run ends; they are waited for.
#include "support/DemoProcess.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

TEST(StatsTest, EveryRowOfATwoFrameRunHasItsGpuTimes) {
    TempTree tree;
    tree.copyFromRepository(".");
    DemoProcess demo(tree.work(), {"-d", "160", "120"}, {{"DEMO_FRAMES", "2"}, {"DEMO_STATS", "frames.csv"}});
    ASSERT_EQ(demo.wait(), 0) << demo.errorOutput();
    std::istringstream file(readFile(tree.work() / "frames.csv"));
    std::string line;
    std::getline(file, line); // the start-up time
    std::getline(file, line);
    EXPECT_EQ(line, "frame,engine_s,frame_ms,gpu shadow,gpu water,gpu main,gpu skybox");
    int rows = 0;
    for (; std::getline(file, line); ++rows) {
        std::istringstream row(line);
        int cells = 0;
        for (std::string cell; std::getline(row, cell, ',');)
            cells += !cell.empty();
        EXPECT_EQ(cells, 7) << line;
    }
    EXPECT_EQ(rows, 2);
}

} // namespace
