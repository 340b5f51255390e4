#pragma once

#include "render/StageTimer.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class Meteor;
class Orb;

// What the timing overlay shows, worked out without ImGui; the overlay only lays it out.

struct OverlayRow {
    std::string label;
    std::string value;
};

// The four stages in frame order under the names the overlay gives them, each with its GPU time from
// `latest` (the stage times of the newest frame whose times came back), or "-" while it has none.
std::vector<OverlayRow> stageRows(const std::vector<StageTime>& latest);

// Which effect object carries the light, the stage it is in and the seconds it has spent there.
struct EffectStage {
    const char* object; // "orb" or "meteor"
    const char* stage;  // the orb: "rest", "grow", "glow" or "sink"; the meteor: "falling"
    float seconds;
};
EffectStage effectStage(const Orb& orb, const Meteor& meteor, int32_t effectPhase);

// Frame times in milliseconds of the last Size frames for the overlay's graph, in a ring filled in place.
class FrameHistory {
  public:
    static constexpr size_t Size = 300;

    void add(float milliseconds);
    // The ring as ImGui's plot reads it: count() values from values(), the oldest at offset().
    const float* values() const { return values_.data(); }
    size_t count() const { return count_; }
    size_t offset() const { return count_ < Size ? 0 : next_; }
    // The newest time; negative before the first.
    float latest() const { return count_ ? values_[(next_ + Size - 1) % Size] : -1.0f; }

  private:
    std::array<float, Size> values_{};
    size_t next_ = 0;
    size_t count_ = 0;
};
