#include "app/Overlay.h"

#include "app/AppState.h"
#include "assets/DebugNames.h"
#include "render/Renderer.h"
#include "scene/Meteor.h"
#include "scene/Orb.h"
#include "scene/Scene.h"

#include <GLFW/glfw3.h>
#include <algorithm>
#include <array>
#include <cfloat>
#include <cstdio>
#include <imgui.h>
#include <imgui_impl_glfw.h>
#include <imgui_impl_opengl3.h>
#include <string>

namespace {

constexpr float Margin = 8.0f; // pixels between the overlay and the window's edges
constexpr float PreferredWidth = 320.0f;
constexpr float GraphHeight = 40.0f;
constexpr float ValueColumn = 112.0f; // where a row's value starts
const ImVec4 FailedColor{1.0f, 0.4f, 0.35f, 1.0f};

struct PassState {
    const char* key;
    const char* name;
    bool built;
    const std::string& failure;
};

std::array<PassState, 5> passStates(const Renderer& renderer) {
    return {{
        {"F1", "Phong", renderer.phongPass->program != nullptr, renderer.phongPass->buildFailure},
        {"F2", "Billboard", renderer.billboardPass->program != nullptr, renderer.billboardPass->buildFailure},
        {"F3", "Water", renderer.waterPass->program != nullptr, renderer.waterPass->buildFailure},
        {"F4", "Shadow", renderer.shadowPass->program != nullptr, renderer.shadowPass->buildFailure},
        {"F5", "Debugger", renderer.debugPass->program != nullptr, renderer.debugPass->buildFailure},
    }};
}

// The overlay's sections in order of importance. A window too small for all of them keeps the leading
// ones that fit and leaves the rest out whole rather than cut through a line.
enum Section { FrameLine, Graph, Stages, Effect, Controls, Passes, SectionCount };

float sectionHeight(Section section, int failedPasses) {
    const float line = ImGui::GetTextLineHeightWithSpacing();
    const float spacing = ImGui::GetStyle().ItemSpacing.y;
    switch (section) {
    case FrameLine:
        return line;
    case Graph:
        return GraphHeight + spacing;
    case Stages:
        return spacing + 4 * line; // each section after the graph starts with a separator
    case Effect:
        return spacing + 2 * line;
    case Controls:
        return spacing + line;
    default:
        return spacing + static_cast<float>(5 + failedPasses) * line;
    }
}

void row(const char* label, const char* value) {
    ImGui::TextUnformatted(label);
    ImGui::SameLine(ValueColumn);
    ImGui::TextUnformatted(value);
}

void drawFrameLine(const FrameHistory& frameTimes, float timeStep) {
    char full[64], frame[32];
    if (frameTimes.latest() < 0.0f)
        std::snprintf(frame, sizeof frame, "frame -");
    else
        std::snprintf(frame, sizeof frame, "frame %.1f ms", static_cast<double>(frameTimes.latest()));
    std::snprintf(full, sizeof full, "%s  step %.3f s", frame, static_cast<double>(timeStep));
    // A narrow window drops the step rather than cut the line.
    ImGui::TextUnformatted(ImGui::CalcTextSize(full).x <= ImGui::GetContentRegionAvail().x ? full : frame);
}

void drawGraph(const FrameHistory& frameTimes) {
    const int count = static_cast<int>(frameTimes.count());
    const float highest = count ? *std::max_element(frameTimes.values(), frameTimes.values() + count) : 0.0f;
    char caption[32];
    std::snprintf(caption, sizeof caption, "up to %.0f ms", static_cast<double>(highest));
    ImGui::PlotLines("##frames", frameTimes.values(), count, static_cast<int>(frameTimes.offset()), caption,
                     0.0f, FLT_MAX, ImVec2(ImGui::GetContentRegionAvail().x, GraphHeight));
}

void drawEffect(const Scene& scene) {
    const auto* orb = dynamic_cast<const Orb*>(scene.effects[0].get());
    const auto* meteor = dynamic_cast<const Meteor*>(scene.effects[1].get());
    char text[64];
    if (orb && meteor) {
        const EffectStage stage = effectStage(*orb, *meteor, appState().effectPhase);
        std::snprintf(text, sizeof text, "%s %s %.1f s", stage.object, stage.stage,
                      static_cast<double>(stage.seconds));
        row("effect", text);
    }
    const glm::vec3 color = scene.currentLight ? scene.currentLight->color : glm::vec3(0.0f);
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", static_cast<double>(color.r),
                  static_cast<double>(color.g), static_cast<double>(color.b));
    ImGui::TextUnformatted("light colour");
    ImGui::SameLine(ValueColumn);
    const float swatch = ImGui::GetFontSize();
    ImGui::ColorButton("##light", ImVec4(color.r, color.g, color.b, 1.0f),
                       ImGuiColorEditFlags_NoTooltip | ImGuiColorEditFlags_NoDragDrop,
                       ImVec2(swatch, swatch));
    ImGui::SameLine();
    ImGui::TextUnformatted(text);
}

void drawControls(GLFWwindow* window) {
    const AppState& state = appState();
    const bool captured = glfwGetInputMode(window, GLFW_CURSOR) == GLFW_CURSOR_DISABLED;
    ImGui::Text("speed %.1f  camera %s  cursor %s", static_cast<double>(state.speedFactor),
                state.cameraLocked ? "locked" : "free", captured ? "captured" : "free");
}

void drawPasses(const std::array<PassState, 5>& passes) {
    for (const PassState& pass : passes) {
        ImGui::Text("%s %s", pass.key, pass.name);
        ImGui::SameLine(ValueColumn);
        if (pass.built) {
            ImGui::TextUnformatted("built");
            continue;
        }
        ImGui::TextColored(FailedColor, "failed");
        ImGui::TextColored(FailedColor, "  %s", pass.failure.c_str());
    }
}

} // namespace

Overlay::Overlay(GLFWwindow* window) : window_(window) {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr; // nothing is written beside the program
    io.LogFilename = nullptr;
    io.ConfigFlags |= ImGuiConfigFlags_NoMouse | ImGuiConfigFlags_NoMouseCursorChange;
    ImGui_ImplGlfw_InitForOpenGL(window, false);
    ImGui_ImplOpenGL3_Init("#version 450 core");
    latestStages_.reserve(4);
}

Overlay::~Overlay() {
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplGlfw_Shutdown();
    ImGui::DestroyContext();
}

void Overlay::addFrameTime(double milliseconds) {
    frameTimes_.add(static_cast<float>(milliseconds));
}

void Overlay::draw(const Scene& scene, float timeStep) {
    const DebugGroup group("overlay");
    if (const std::vector<StageTime>& arrived = scene.renderer->stageTimes(); !arrived.empty())
        latestStages_ = arrived;
    const std::array<PassState, 5> passes = passStates(*scene.renderer);
    const int failed =
        static_cast<int>(std::count_if(passes.begin(), passes.end(), [](auto& p) { return !p.built; }));

    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplGlfw_NewFrame();
    ImGui::NewFrame();
    const ImGuiStyle& style = ImGui::GetStyle();
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    float height = 2.0f * style.WindowPadding.y;
    int shown = 0;
    for (; shown < SectionCount; ++shown) {
        const float next = height + sectionHeight(static_cast<Section>(shown), failed);
        if (next > display.y - 2.0f * Margin)
            break;
        height = next;
    }
    const float width = std::min(PreferredWidth, display.x - 2.0f * Margin);
    if (shown > 0 && width > 2.0f * style.WindowPadding.x) {
        ImGui::SetNextWindowPos(ImVec2(Margin, Margin));
        ImGui::SetNextWindowSize(ImVec2(width, height));
        ImGui::SetNextWindowBgAlpha(0.8f);
        ImGui::Begin("overlay", nullptr,
                     ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoInputs | ImGuiWindowFlags_NoMove |
                         ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing);
        for (int section = 0; section < shown; ++section) {
            if (section > Graph)
                ImGui::Separator();
            switch (static_cast<Section>(section)) {
            case FrameLine:
                drawFrameLine(frameTimes_, timeStep);
                break;
            case Graph:
                drawGraph(frameTimes_);
                break;
            case Stages:
                for (const OverlayRow& stage : stageRows(latestStages_))
                    row(stage.label.c_str(), stage.value.c_str());
                break;
            case Effect:
                drawEffect(scene);
                break;
            case Controls:
                drawControls(window_);
                break;
            default:
                drawPasses(passes);
                break;
            }
        }
        ImGui::End();
    }
    ImGui::Render();
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
}
