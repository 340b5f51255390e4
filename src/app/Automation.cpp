#include "app/Automation.h"

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace {

// Whole-text parse: "12abc" is rejected rather than read as 12, since a typo here silently changes a run.
template <typename T> std::optional<T> parseWhole(const char* text) {
    std::istringstream in(text);
    T value{};
    if (!(in >> value) || !(in >> std::ws).eof())
        return std::nullopt;
    return value;
}

void reportIgnored(const char* name, const char* text, const char* why) {
    std::cerr << "demo: ignoring " << name << "=" << text << " (" << why << ")" << std::endl;
}

} // namespace

Automation readAutomation(const std::function<const char*(const char*)>& lookup) {
    Automation result;
    if (const char* text = lookup("DEMO_FRAMES")) {
        const auto frames = parseWhole<int64_t>(text);
        if (frames && *frames > 0)
            result.frames = frames;
        else
            reportIgnored("DEMO_FRAMES", text, "expected a positive whole number");
    }
    if (const char* text = lookup("DEMO_TIMESTEP")) {
        const auto step = parseWhole<float>(text);
        if (step && std::isfinite(*step) && *step >= 0.0f)
            result.timestep = step;
        else
            reportIgnored("DEMO_TIMESTEP", text, "expected seconds, zero or more");
    }
    if (const char* text = lookup("DEMO_SEED")) {
        const auto seed = parseWhole<uint32_t>(text);
        if (seed && text[0] != '-')
            result.seed = seed;
        else
            reportIgnored("DEMO_SEED", text, "expected a whole number from 0 to 4294967295");
    }
    if (const char* text = lookup("DEMO_CAPTURE"))
        result.capturePath = text;
    if (const char* text = lookup("DEMO_STATS"))
        result.stats = std::string(text) != "" && std::string(text) != "0";
    return result;
}

const Automation& automation() {
    static const Automation settings = readAutomation([](const char* name) { return std::getenv(name); });
    return settings;
}
