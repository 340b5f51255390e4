// What the timing overlay shows, without ImGui, and the switches that show it or record every frame.
#include "app/OverlayContent.h"

#include "app/AppState.h"
#include "app/Automation.h"
#include "scene/Meteor.h"
#include "scene/Orb.h"
#include "support/TempTree.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <tuple>

namespace {

TEST(OverlayContent, StagesShowInFrameOrderWithTheTimesThatCameBack) {
    std::string shown;
    for (const OverlayRow& row :
         stageRows({{0, "gpu main", 41.5}, {0, "gpu shadow", 12.25}, {0, "gpu water", 0.004}}))
        shown += row.label + " " + row.value + "; ";
    EXPECT_EQ(shown, "shadow 12.25 ms; water images 0.00 ms; main 41.50 ms; sky box -; ");
}

TEST(OverlayContent, TheEffectStageAndItsTimeFollowTheOrbsClockAndTheMeteorsTurn) {
    Orb orb(nullptr, nullptr);
    Meteor meteor(nullptr, nullptr);
    meteor.activeTime = 7.5f;
    std::string shown;
    for (const float phaseTime : {9.9f, 10.0f, 15.0f, 24.5f, 25.5f, -1.0f}) {
        orb.phaseTime = phaseTime;
        const EffectStage stage = effectStage(orb, meteor, phaseTime < 0.0f ? 1 : 0);
        char text[64];
        std::snprintf(text, sizeof text, "%s %s %.1f, ", stage.object, stage.stage, double(stage.seconds));
        shown += text;
    }
    EXPECT_EQ(shown,
              "orb rest 9.9, orb grow 0.0, orb rest 0.0, orb glow 4.5, orb sink 0.5, meteor falling 7.5, ");
}

TEST(OverlayContent, TheGraphKeepsTheLastFramesOldestFirst) {
    FrameHistory history;
    for (int frame = 0; frame < 302; ++frame)
        history.add(static_cast<float>(frame));
    EXPECT_EQ(std::make_tuple(history.count(), history.values()[history.offset()], history.latest()),
              std::make_tuple(FrameHistory::Size, 2.0f, 301.0f));
}

// Values that are invalid whatever else is set are in AppTest's table of automation switches.
TEST(OverlaySwitches, ARecordingNeedsDemoFramesToBoundIt) {
    TempTree tree;
    const std::string folder = tree.root().string();
    const auto read = [&](const char* frames) {
        return readAutomation([&](const std::string& name) -> const char* {
            return name == "DEMO_RECORD" ? folder.c_str() : name == "DEMO_FRAMES" ? frames : nullptr;
        });
    };
    EXPECT_EQ(read(nullptr).problem.rfind("DEMO_RECORD=" + folder + " (", 0), 0u) << read(nullptr).problem;
    EXPECT_EQ(read("3").recordFolder + read("3").problem, folder);
}

} // namespace
