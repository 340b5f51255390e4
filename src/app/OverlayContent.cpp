#include "app/OverlayContent.h"

#include "scene/Meteor.h"
#include "scene/Orb.h"

#include <cstdio>
#include <cstring>

namespace {

// The stage timer's names (which the statistics file uses as column names) and the overlay's.
constexpr std::pair<const char*, const char*> StageNames[] = {
    {"gpu shadow", "shadow"},
    {"gpu water", "water images"},
    {"gpu main", "main"},
    {"gpu skybox", "sky box"},
};

} // namespace

std::vector<OverlayRow> stageRows(const std::vector<StageTime>& latest) {
    std::vector<OverlayRow> rows;
    for (const auto& [timerName, shownName] : StageNames) {
        OverlayRow row{shownName, "-"};
        for (const StageTime& time : latest)
            if (std::strcmp(time.stage, timerName) == 0) {
                char text[32];
                std::snprintf(text, sizeof text, "%.2f ms", time.milliseconds);
                row.value = text;
            }
        rows.push_back(row);
    }
    return rows;
}

EffectStage effectStage(const Orb& orb, const Meteor& meteor, int32_t effectPhase) {
    if (effectPhase == 1)
        return {"meteor", "falling", meteor.activeTime};
    // The orb rests before it grows and again before it glows; it sinks once the glow is over.
    const float t = orb.phaseTime;
    if (t < orb.growStart)
        return {"orb", "rest", t};
    if (t < orb.growEnd)
        return {"orb", "grow", t - orb.growStart};
    if (t < orb.glowStart)
        return {"orb", "rest", t - orb.growEnd};
    if (t < orb.glowEnd)
        return {"orb", "glow", t - orb.glowStart};
    return {"orb", "sink", t - orb.glowEnd};
}

void FrameHistory::add(float milliseconds) {
    values_[next_] = milliseconds;
    next_ = (next_ + 1) % Size;
    if (count_ < Size)
        ++count_;
}
