// The real binary run the way a user or a script runs it: standard output byte for byte and the exit
// status on every way in and out, real keys on the real window, and the window taken away.
#include "support/DemoProcess.h"
#include "support/Images.h"
#include "support/TempTree.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Start-up up to the WINDOW line's dots, which the window's result follows; what a failed window prints;
// and what start-up prints when no shader file can be opened.
const std::string UpToWindowResult =
    std::string(StartUpLines).substr(0, std::string(StartUpLines).find("OK!\n\t\tGLEW"));
const std::string WindowFailed = UpToWindowResult + "FAIL!\n" + PausePrompt;
std::string everyShaderMissing() {
    std::string lines;
    for (const char* pass : {"Phong", "Billboard", "Water", "Skybox", "Shadow", "Debugger"})
        lines += std::string("ERROR OPENING FILE: ../Resources/Shaders/") + pass +
                 ".vert\nERROR OPENING FILE: ../Resources/Shaders/" + pass +
                 ".frag\nDELETING ERRONEOUS SHADER: " + pass + "\n";
    return lines;
}

std::string fatalList(const std::string& list) {
    return StartUpLines + ("\nERROR READING FILE: ../Resources/" + list + "\n") + PausePrompt;
}

// Files may grow to 512 bytes (standard output fits, a frame does not); a write beyond fails (EFBIG).
void limitFileSize() {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{512, 512};
    setrlimit(RLIMIT_FSIZE, &limit);
}

// The user nobody, as `setpriv --reuid=65534 --regid=65534 --clear-groups` does; else root takes the folder.
void becomeNobody() {
    static_cast<void>(setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0);
}

using ShellTest = RepositoryCopyTest;

// One way in and out: how the demo is started and what it must print and return. Standard output and the
// status are always checked, the rest only where a case asks for it.
struct Way {
    const char* name;
    std::vector<std::string> arguments = {"-d", "320", "200"};
    std::map<std::string, std::string> environment = {{"DEMO_FRAMES", "1"}};
    std::function<void(const TempTree&)> prepare = nullptr;
    std::function<void()> inChild = nullptr;
    std::string output = normalRunOutput();
    int status = 0;
    std::string error = ""; // a line that standard error must hold
    std::function<void(const TempTree&)> check = nullptr;
    friend void PrintTo(const Way& way, std::ostream* out) { *out << way.name; } // not its bytes
};

const Way Ways[] = {
    {.name = "NormalRun", .environment = {{"DEMO_FRAMES", "3"}}},
    {.name = "CaptureOfNoFrameIsReported",
     .environment = {{"DEMO_FRAMES", "0"}, {"DEMO_CAPTURE", "frame.png"}},
     .error = "demo: no frame was drawn"},
    {.name = "UnknownOptionFallsBackToFullScreen",
     .arguments = {"-d", "320", "200", "--help"},
     .output = normalRunOutput().replace(UpToWindowResult.size(), 0, "UNKNOWN OPTION! DEFAULT!\n")},
    {.name = "ZeroWidthWindowFails", .arguments = {"-d", "0", "600"}, .output = WindowFailed, .status = 1},
    {.name = "NegativeSizeWindowFails", .arguments = {"-d", "-5", "-5"}, .output = WindowFailed, .status = 1},
    {.name = "HugeWindowFails", .arguments = {"-d", "100000", "100000"}, .output = WindowFailed, .status = 1},
    {.name = "MissingTextureListIsFatal",
     .prepare = [](const TempTree& t) { fs::remove(t.textures() / "Textures"); },
     .output = fatalList("Textures/Textures"),
     .status = 1},
    {.name = "MeshListThatIsAFolderIsFatal",
     .prepare =
         [](const TempTree& t) {
             fs::remove(t.meshes() / "Meshes");
             fs::create_directory(t.meshes() / "Meshes");
         },
     .output = fatalList("Meshes/Meshes"),
     .status = 1},
    {.name = "MissingResourcesReportEveryShaderThenTheFatalList",
     .prepare = [](const TempTree& t) { fs::remove_all(t.root() / "Resources"); },
     .output = StartUpLines + everyShaderMissing() +
               fatalList("Textures/Textures").substr(std::strlen(StartUpLines)),
     .status = 1},
    {.name = "InvalidFrameCountRefusesToStart",
     .environment = {{"DEMO_FRAMES", "1e99"}},
     .output = "",
     .status = 2,
     .error = "demo: invalid DEMO_FRAMES=1e99 ("},
    // A frame this small waits in the C library's buffer until the file is closed, where the device fails.
    {.name = "UnwritableCaptureIsReported",
     .arguments = {"-d", "8", "8"},
     .environment = {{"DEMO_FRAMES", "2"}, {"DEMO_CAPTURE", "/dev/full"}},
     .error = "demo: could not write the capture /dev/full"},
    // Neither file is left cut off under its name, and the file that was there stays as it was.
    {.name = "FilesBeyondTheFileSizeLimitAreNotLeftCutOff",
     .environment = {{"DEMO_FRAMES", "20"}, {"DEMO_CAPTURE", "frame.png"}, {"DEMO_STATS", "frames.csv"}},
     .prepare = [](const TempTree& t) { t.write("work/frame.png", "old"); },
     .inChild = limitFileSize,
     .error = "demo: could not write the capture frame.png\ndemo: could not write the frame statistics "
              "frames.csv\n",
     .check =
         [](const TempTree& t) {
             EXPECT_EQ(readFile(t.work() / "frame.png"), "old");
             EXPECT_FALSE(fs::exists(t.work() / "frames.csv"));
         }},
    {.name = "RecordFolderTheUserCannotWriteToIsRefused",
     .environment = {{"DEMO_FRAMES", "1"}, {"DEMO_RECORD", "."}},
     .prepare = // root's working folder, which nobody may enter, as the way to the program, but not write to
     [](const TempTree& t) {
         for (fs::path p : {t.root(), fs::path(DEMO_BINARY).parent_path()})
             for (; p != p.root_path(); p = p.parent_path())
                 fs::permissions(p, fs::perms::others_exec, fs::perm_options::add);
     },
     .inChild = becomeNobody,
     .output = "",
     .status = 2,
     .error = "demo: invalid DEMO_RECORD=. ("},
    {.name = "StatisticsGoToStandardError",
     .environment = {{"DEMO_FRAMES", "4"}, {"DEMO_STATS", "1"}},
     .error = "frames      4"},
    // The capture is the last frame at the window's size, here one whose rows are no whole number of
    // four-byte words; the statistics file has a row for every frame, at the engine time of the fixed step,
    // with every stage's GPU time, also the last frames' that were still on their way as the run ended.
    {.name = "CaptureAndStatisticsFiles",
     .arguments = {"-d", "161", "90"},
     .environment = {{"DEMO_FRAMES", "4"},
                     {"DEMO_TIMESTEP", "0.25"},
                     {"DEMO_CAPTURE", "frame.png"},
                     {"DEMO_STATS", "frames.csv"}},
     .check =
         [](const TempTree& t) {
             const Image image = loadImage(t.work() / "frame.png");
             EXPECT_EQ(std::make_pair(image.width, image.height), std::make_pair(161, 90));
             std::ifstream rows(t.work() / "frames.csv");
             std::string lines; // the start-up line's name, two columns, and "?" after a row missing a cell
             for (std::string line; std::getline(rows, line);) {
                 const bool whole =
                     line[0] == '#' || (std::count(line.begin(), line.end(), ',') == 6 &&
                                        line.find(",,") == std::string::npos && line.back() != ',');
                 lines +=
                     line.substr(0, line[0] == '#' ? line.rfind(' ') : line.find(',', line.find(',') + 1)) +
                     (whole ? " " : "? ");
             }
             EXPECT_EQ(lines, "# startup_ms frame,engine_s 0,0.2500 1,0.5000 2,0.7500 3,1.0000 ");
         }},
};

class ShellRunTest : public ShellTest, public ::testing::WithParamInterface<Way> {};

TEST_P(ShellRunTest, PrintsItsExactLinesAndStatus) {
    const Way& way = GetParam();
    if (way.prepare)
        way.prepare(tree);
    DemoProcess demo(tree.work(), way.arguments, way.environment, Input::Null, {}, way.inChild);
    EXPECT_EQ(demo.wait(), way.status);
    EXPECT_EQ(demo.output(), way.output);
    const std::string error = demo.errorOutput();
    EXPECT_EQ(problemLines(error), std::vector<std::string>{});
    EXPECT_TRUE(way.error.empty() || error.find(way.error) != std::string::npos) << error;
    if (way.status == 2) {
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << "a refusal is one line: " << error;
    }
    if (way.check)
        way.check(tree);
    for (const auto& entry : fs::directory_iterator(tree.work())) { // no temporary file left behind
        const std::string name = entry.path().filename();
        EXPECT_TRUE(name[0] != '.' || name.rfind(".demo-std", 0) == 0) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(WaysInAndOut, ShellRunTest, ::testing::ValuesIn(Ways),
                         [](const auto& info) { return std::string(info.param.name); });

// A recording cut short by the file-size limit, as by a full disk, keeps the frames written before, whole
// and without a gap from 00000.png, and no temporary file; it stops at the frame that failed (with the
// limit lifted again, later frames would be written) and says so once, and the run goes on.
TEST_F(ShellTest, ARecordingCutShortKeepsAnUnbrokenSequenceOfWholeFrames) {
    const fs::path frames = tree.root() / "frames";
    fs::create_directories(frames);
    DemoProcess demo(tree.work(), {"-d", "160", "120"},
                     {{"DEMO_FRAMES", "20"}, {"DEMO_RECORD", frames.string()}}, Input::Null, {},
                     [] { signal(SIGXFSZ, SIG_IGN); });
    const auto limitFiles = [&](rlim_t bytes) {
        const rlimit limit{bytes, RLIM_INFINITY};
        return prlimit(demo.pid(), RLIMIT_FSIZE, &limit, nullptr) == 0;
    };
    ASSERT_TRUE(eventually([&] { return fs::exists(frames / "00001.png"); }, std::chrono::seconds(120)));
    ASSERT_TRUE(limitFiles(1000));
    ASSERT_TRUE(eventually([&] { return demo.errorOutput().find("recorded frame") != std::string::npos; }));
    ASSERT_TRUE(limitFiles(RLIM_INFINITY));
    EXPECT_EQ(demo.wait(), 0);
    EXPECT_EQ(demo.output(), normalRunOutput());
    const auto frame = [&](int number) {
        return frames / (std::to_string(100000 + number).substr(1) + ".png");
    };
    int whole = 0;
    for (; fs::exists(frame(whole)); ++whole)
        EXPECT_EQ(loadImage(frame(whole)).width, 160) << frame(whole);
    EXPECT_EQ(std::distance(fs::directory_iterator(frames), fs::directory_iterator()), whole);
    EXPECT_EQ(demo.errorOutput(), "demo: could not write the recorded frame " + frame(whole).string() +
                                      " (the recording stopped)\n");
}

// Keys sent while the program is still loading wait in the window's event queue until the first frame
// polls them, so each key is sent once and its output waited for.
TEST_F(ShellTest, RealKeysPrintHelpAndCursorStateAndEscapeEndsTheRun) {
    DemoProcess demo(tree.work(), {"-d", "320", "200"});
    const std::string window = findWindowOf(demo);
    ASSERT_FALSE(window.empty()) << "no Demo window appeared: " << demo.output() << demo.errorOutput();
    ASSERT_TRUE(sendKey(demo, window, "F11") && demo.waitForOutput("ESC ... EXIT\n")) << demo.output();
    ASSERT_TRUE(sendKey(demo, window, "F9") && demo.waitForOutput("CURSORDISABLED\n")) << demo.output();
    sendKey(demo, window, "Escape"); // the window closes on the press; the release may find it gone
    ASSERT_EQ(demo.wait(std::chrono::seconds(60)), 0);
    EXPECT_EQ(demo.output(), normalRunOutput(HelpLines + std::string("CURSORDISABLED\n")));
}

// The display connection or the window lost from outside: the X library ends the process at once with
// status 1 and its own message on standard error. Nothing is torn down on that path, so standard output
// ends with what was printed before, and there is neither a hang nor a sanitizer report.
TEST_F(ShellTest, AWindowTakenAwayEndsTheRunAtOnceWithStatusOne) {
    for (const char* how : {"windowclose", "windowkill"}) {
        SCOPED_TRACE(how);
        DemoProcess demo(tree.work(), {"-d", "320", "200"});
        const std::string window = findWindowOf(demo);
        ASSERT_FALSE(window.empty()) << demo.output() << demo.errorOutput();
        ASSERT_TRUE(demo.waitForOutput(StartUpLines));
        const std::string command = "DISPLAY=" + demo.display() + " xdotool " + how + " " + window;
        ASSERT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(demo.wait(std::chrono::seconds(30)), 1);
        EXPECT_EQ(demo.output(), StartUpLines);
        EXPECT_EQ(problemLines(demo.errorOutput()), std::vector<std::string>{});
    }
}

} // namespace
