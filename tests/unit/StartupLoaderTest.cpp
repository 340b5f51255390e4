// The start-up loader without OpenGL: results in list order whatever order the workers finish in, at
// most one waiting per worker, failures reported by the main thread where they always were, and a fatal
// exit that stops and joins every worker before its prompt.
#include "assets/StartupLoader.h"

#include "app/Console.h"
#include "assets/ResourceCatalogue.h"
#include "scene/Scene.h"
#include "support/CoutCapture.h"
#include "support/DemoProcess.h"
#include "support/TempTree.h"

#include <atomic>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Jobs named "0", "1", ...; a job's result carries its number as the image's width.
std::vector<LoadJob> numberedJobs(size_t count) {
    std::vector<LoadJob> jobs;
    for (size_t i = 0; i < count; ++i)
        jobs.push_back({LoadKind::Texture, std::to_string(i)});
    return jobs;
}

LoadResult numbered(const LoadJob& job) {
    DecodedImage image;
    image.width = static_cast<uint32_t>(std::stoul(job.path));
    return image;
}

size_t takeNumber(StartupLoader& loader, size_t job) {
    const std::optional<LoadResult> result = loader.take(LoadKind::Texture, std::to_string(job));
    return result ? std::get<DecodedImage>(*result).width : SIZE_MAX;
}

// Each window of three jobs finishes last to first: a job waits until the next one has finished (giving up
// after a while, so that a broken loader fails the test rather than hangs it).
TEST(StartupLoader, HandsResultsOutInListOrderWhateverOrderTheWorkersFinishIn) {
    constexpr size_t Jobs = 9, Workers = 3;
    std::mutex mutex;
    std::condition_variable changed;
    std::set<size_t> finished;
    const auto lastFirst = [&](const LoadJob& job, unsigned) {
        const size_t i = std::stoul(job.path);
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait_for(lock, 30s, [&] { return i % Workers == Workers - 1 || finished.count(i + 1); });
        finished.insert(i);
        changed.notify_all();
        return numbered(job);
    };
    StartupLoader loader(numberedJobs(Jobs), lastFirst, Workers);
    for (size_t job = 0; job < Jobs; ++job)
        EXPECT_EQ(takeNumber(loader, job), job);
    EXPECT_EQ(takeNumber(loader, 4), SIZE_MAX) << "taken already: the caller loads it itself";
}

// As many results wait as there are workers, and each worker holds back one more: no more ever start.
TEST(StartupLoader, KeepsOneResultAWorkerWaitingAndOneHeldBack) {
    constexpr size_t Jobs = 12, Workers = 3;
    std::atomic<size_t> started{0};
    StartupLoader loader(
        numberedJobs(Jobs),
        [&](const LoadJob& job, unsigned) {
            ++started;
            return numbered(job);
        },
        Workers);
    for (size_t taken = 0; taken < Jobs; ++taken) {
        const size_t window = std::min(taken + 2 * Workers, Jobs);
        ASSERT_TRUE(eventually([&] { return started >= window; }))
            << "job " << window - 1 << " never started";
        EXPECT_EQ(started, window) << "after " << taken << " taken";
        EXPECT_EQ(takeNumber(loader, taken), taken);
    }
}

// The real loads of the scene's files, a few of them missing or refused: the workers print nothing, and
// the catalogue prints what it always has, where it always has.
TEST(StartupLoader, LeavesEveryFailureLineToTheMainThreadInListOrder) {
    TempTree tree;
    tree.write("Resources/Textures/Textures", "missing.png\nfifo.png\n");
    ASSERT_EQ(mkfifo((tree.textures() / "fifo.png").c_str(), 0600), 0);
    tree.write("Resources/Meshes/Meshes", "absent.obj\nbroken.obj\n");
    tree.write("Resources/Meshes/broken.obj", "not a model\n");
    ScopedWorkingDirectory inWork(tree.work());
    CoutCapture output;
    std::atomic<int> loaded{0};
    const LoadFunction files = fileLoadFunction(1);
    startLoading(
        sceneLoadJobs(),
        [&](const LoadJob& job, unsigned worker) {
            LoadResult result = files(job, worker);
            ++loaded;
            return result;
        },
        1);
    ASSERT_TRUE(eventually([&] { return loaded == 2; })) << "one result waiting and one held back";
    EXPECT_EQ(output.text(), "") << "a worker printed";
    meshTable().emplace("quad", nullptr); // so that the catalogue makes no quad, which would need OpenGL
    loadTextureCatalogue("Textures", "../Resources/Textures/");
    loadMeshCatalogue("Meshes", "../Resources/Meshes/");
    EXPECT_GE(loaded, 5) << "the main thread loaded files itself";
    endLoading();
    releaseMeshes();
    EXPECT_EQ(output.text(), "ERROR LOADING TEXTURE ../Resources/Textures/missing.png\n"
                             "ERROR LOADING TEXTURE ../Resources/Textures/fifo.png\n"
                             "ERROR LOADING MESH ../Resources/Meshes/absent.obj\nabsent.obj IS NULL\n"
                             "ERROR LOADING MESH ../Resources/Meshes/broken.obj\nbroken.obj IS NULL\n"
                             "ERROR LOADING MESH ../Resources/Meshes/plane.obj\n");
}

void say(const std::string& line) {
    ASSERT_EQ(write(STDERR_FILENO, line.data(), line.size()), ssize_t(line.size()));
}

// Two workers, each half a second into a file: the prompt comes once both are done, and no other file
// is started. Standard output goes to standard error, which the matcher reads.
TEST(StartupLoaderDeathTest, AFatalExitStopsAndJoinsEveryWorkerBeforeItsPrompt) {
    const auto fatalWhileLoading = [] {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        std::freopen("/dev/null", "r", stdin);
        std::atomic<int> started{0};
        const auto slowly = [&](const LoadJob& job, unsigned) {
            say("start " + job.path + "\n");
            ++started;
            std::this_thread::sleep_for(500ms);
            say("end " + job.path + "\n");
            return numbered(job);
        };
        startLoading(numberedJobs(8), slowly, 2);
        while (started < 2)
            std::this_thread::yield();
        fatalError("FATAL");
    };
    EXPECT_EXIT(fatalWhileLoading(), ::testing::ExitedWithCode(1),
                "^start [01]\nstart [01]\n(end [01]\n|FATAL\n){3}Press any key to continue \\. \\. \\. $");
}

} // namespace
