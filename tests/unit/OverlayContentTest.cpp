// What the timing overlay shows, without ImGui, and the switches and key that show it or record frames.
#include "app/OverlayContent.h"

#include "app/AppState.h"
#include "app/Automation.h"
#include "app/KeyHandler.h"
#include "scene/Meteor.h"
#include "scene/Orb.h"
#include "support/TempTree.h"

#include <GLFW/glfw3.h>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace {

TEST(OverlayContent, StagesShowInFrameOrderWithTheTimesThatCameBack) {
    std::string shown;
    for (const OverlayRow& row : stageRows({{"gpu main", 41.5}, {"gpu shadow", 12.25}, {"gpu water", 0.004}}))
        shown += row.label + " " + row.value + "; ";
    EXPECT_EQ(shown, "shadow 12.25 ms; water images 0.00 ms; main 41.50 ms; sky box -; ");
}

TEST(OverlayContent, TheEffectStageAndItsTimeFollowTheOrbsClockAndTheMeteorsTurn) {
    Orb orb(nullptr, nullptr);
    Meteor meteor(nullptr, nullptr);
    meteor.activeTime = 7.5f;
    const std::pair<float, std::string> cases[] = {
        {0.0f, "orb rest 0.0"},  {9.9f, "orb rest 9.9"},  {10.0f, "orb grow 0.0"}, {14.5f, "orb grow 4.5"},
        {15.0f, "orb rest 0.0"}, {20.0f, "orb glow 0.0"}, {24.5f, "orb glow 4.5"}, {25.5f, "orb sink 0.5"},
    };
    for (const auto& [phaseTime, expected] : cases) {
        orb.phaseTime = phaseTime;
        const EffectStage stage = effectStage(orb, meteor, 0);
        char shown[64];
        std::snprintf(shown, sizeof shown, "%s %s %.1f", stage.object, stage.stage, double(stage.seconds));
        EXPECT_EQ(shown, expected);
    }
    const EffectStage falling = effectStage(orb, meteor, 1);
    EXPECT_EQ(std::string(falling.object) + " " + falling.stage, "meteor falling");
    EXPECT_EQ(falling.seconds, 7.5f);
}

TEST(OverlayContent, TheGraphKeepsTheLastFramesOldestFirst) {
    FrameHistory history;
    EXPECT_LT(history.latest(), 0.0f);
    for (int frame = 0; frame < 302; ++frame)
        history.add(static_cast<float>(frame));
    EXPECT_EQ(history.count(), FrameHistory::Size);
    EXPECT_EQ(history.values()[history.offset()], 2.0f);
    EXPECT_EQ(history.latest(), 301.0f);
}

TEST(OverlaySwitches, F12TogglesTheOverlayAndPrintsNothing) {
    AppState state;
    KeyboardState keyboard;
    std::ostringstream out;
    for (const bool shown : {true, false}) {
        EXPECT_EQ(handleKey(GLFW_KEY_F12, GLFW_PRESS, state, keyboard, out), WindowAction::None);
        EXPECT_EQ(state.overlayShown, shown);
    }
    EXPECT_EQ(out.str(), "");
}

TEST(OverlaySwitches, ARecordingNeedsAWritableFolderAndABoundedRun) {
    TempTree tree;
    tree.write("file", "");
    const std::string folder = tree.root().string();
    const auto read = [](const std::map<std::string, std::string>& environment) {
        return readAutomation([&](const char* name) -> const char* {
            const auto found = environment.find(name);
            return found == environment.end() ? nullptr : found->second.c_str();
        });
    };
    const Automation valid = read({{"DEMO_RECORD", folder}, {"DEMO_FRAMES", "3"}, {"DEMO_OVERLAY", "1"}});
    EXPECT_EQ(valid.recordFolder + valid.problem, folder);
    EXPECT_TRUE(valid.overlay);
    EXPECT_FALSE(read({{"DEMO_OVERLAY", "0"}}).overlay);
    // Not a folder, or without DEMO_FRAMES.
    for (const auto& [value, frames] :
         {std::pair{folder + "/file", "3"}, {folder + "/missing", "3"}, {folder, ""}}) {
        std::map<std::string, std::string> environment{{"DEMO_RECORD", value}};
        if (*frames)
            environment["DEMO_FRAMES"] = frames;
        const std::string problem = read(environment).problem;
        EXPECT_EQ(problem.rfind("DEMO_RECORD=" + value + " (", 0), 0u) << problem;
    }
}

} // namespace
