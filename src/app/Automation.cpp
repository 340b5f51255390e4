#include "app/Automation.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

// Whole-text parse: "12abc" is refused rather than read as 12, since a typo here silently changes a run.
template <typename T> std::optional<T> parseWhole(const std::string& text) {
    std::istringstream in(text);
    T value{};
    if (!(in >> value) || !(in >> std::ws).eof())
        return std::nullopt;
    return value;
}

// Checked before start-up, so that a recording cannot fail on every frame of a long run. Windows has no
// such check for folders (its access() looks only at the read-only flag, which folders ignore).
bool writableFolder(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_directory(path, error))
        return false;
#ifdef _WIN32
    return true;
#else
    return access(path.c_str(), W_OK) == 0;
#endif
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

Automation readAutomation(const std::function<const char*(const char*)>& lookup) {
    Automation result;
    const auto refuse = [&](const char* name, const std::string& text, const char* takes) {
        if (result.problem.empty())
            result.problem = std::string(name) + "=" + text + " (" + takes + ")";
    };
    if (const char* text = lookup("DEMO_FRAMES")) {
        const auto frames = parseWhole<int64_t>(text);
        if (frames && *frames >= 0)
            result.frames = frames;
        else
            refuse("DEMO_FRAMES", text, "a whole number of frames, 0 or more");
    }
    if (const char* text = lookup("DEMO_TIMESTEP")) {
        const auto step = parseWhole<float>(text);
        // Up to an hour a frame: far longer steps carry the world's motion past what a float can hold.
        if (step && *step >= 0.0f && *step <= MaxTimeStep)
            result.timestep = step;
        else
            refuse("DEMO_TIMESTEP", text, "seconds per frame, from 0 to 3600");
    }
    if (const char* text = lookup("DEMO_SEED")) {
        const auto seed = parseWhole<int64_t>(text);
        if (seed && *seed >= 0 && *seed <= int64_t{UINT32_MAX})
            result.seed = static_cast<uint32_t>(*seed);
        else
            refuse("DEMO_SEED", text, "a whole number from 0 to 4294967295");
    }
    if (const char* text = lookup("DEMO_CAPTURE")) {
        result.capturePath = text;
        if (result.capturePath.empty())
            refuse("DEMO_CAPTURE", text, "the path of the PNG file to write");
    }
    if (const char* text = lookup("DEMO_STATS")) {
        const std::string value = text;
        if (value == "1")
            result.stats = true;
        else if (endsWith(value, ".csv"))
            result.statsPath = value;
        else if (value != "0")
            refuse("DEMO_STATS", text, "1 for a summary, a file name ending in .csv for every frame, or 0");
    }
    if (const char* text = lookup("DEMO_OVERLAY")) {
        const std::string value = text;
        result.overlay = value == "1";
        if (value != "1" && value != "0")
            refuse("DEMO_OVERLAY", text, "1 to show the overlay from the start, or 0");
    }
    if (const char* text = lookup("DEMO_RECORD")) {
        result.recordFolder = text;
        if (!writableFolder(result.recordFolder) || !result.frames)
            refuse("DEMO_RECORD", text, "a writable folder, with DEMO_FRAMES set to bound the recording");
    }
    if (const char* text = lookup("DEMO_GL_DEBUG")) {
        const std::string value = text;
        if (value == "1")
            result.glDebug = GlDebugLevel::Messages;
        else if (value == "all")
            result.glDebug = GlDebugLevel::All;
        else if (value != "0")
            refuse("DEMO_GL_DEBUG", text, "1 for the driver's messages, all for its notifications too, or 0");
    }
    return result;
}

const Automation& automation() {
    static const Automation settings = readAutomation([](const char* name) { return std::getenv(name); });
    return settings;
}
