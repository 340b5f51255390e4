#include "assets/StartupLoader.h"

#include <FreeImage.h>
#include <algorithm>
#include <assimp/Importer.hpp>
#include <cassert>
#include <memory>

#ifndef _WIN32
#include <csignal>
#include <pthread.h>
#endif

namespace {

// Workers take none of the signals the process answers (a stop, Ctrl+Z): each still goes to the main
// thread, which acts on it, as when there were no workers. Threads start with their creator's mask, so
// it is set around their creation. Faults a worker raises itself (a bad read) stay its own.
class WorkerSignalMask {
  public:
#ifdef _WIN32
    WorkerSignalMask() = default; // a console's Ctrl+C comes on a thread of its own there anyway
#else
    WorkerSignalMask() {
        sigset_t blocked;
        sigfillset(&blocked);
        for (const int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT, SIGSYS})
            sigdelset(&blocked, fault);
        pthread_sigmask(SIG_SETMASK, &blocked, &previous_);
    }
    ~WorkerSignalMask() {
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }

  private:
    sigset_t previous_;
#endif
};

// A plain pointer: a fatal exit ends the process through exit, and no static destructor may join
// threads or free results from there. Only the main thread touches it.
StartupLoader* processLoader = nullptr;

} // namespace

StartupLoader::StartupLoader(std::vector<LoadJob> jobs, LoadFunction load, unsigned workerCount)
    : load_(std::move(load)), waitLimit_(std::max(workerCount, 1u)) {
    // A file listed twice is loaded once; the catalogue takes it where it first comes.
    for (LoadJob& job : jobs)
        if (jobIndex_.emplace(std::make_pair(job.kind, job.path), jobs_.size()).second)
            jobs_.push_back(std::move(job));
    const size_t count = std::min<size_t>(waitLimit_, jobs_.size());
    [[maybe_unused]] const WorkerSignalMask mask; // a no-op on Windows
    for (unsigned worker = 0; worker < count; ++worker)
        workers_.emplace_back(&StartupLoader::work, this, worker);
}

StartupLoader::~StartupLoader() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void StartupLoader::work(unsigned worker) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_ && nextJob_ < jobs_.size()) {
        const size_t job = nextJob_++;
        lock.unlock();
        LoadResult result = load_(jobs_[job], worker);
        lock.lock();
        // Only the next waitLimit_ results the consumer takes may wait; a result further ahead is held here,
        // and its worker starts nothing, until the consumer has taken enough. The next one always passes.
        changed_.wait(lock, [&] { return stopping_ || job < nextToTake_ + waitLimit_; });
        if (!stopping_ && job >= nextToTake_) // else the consumer went past it and never takes it
            finished_.emplace(job, std::move(result));
        changed_.notify_all();
    }
}

std::optional<LoadResult> StartupLoader::take(LoadKind kind, const std::string& path) {
    const auto found = jobIndex_.find({kind, path});
    std::unique_lock<std::mutex> lock(mutex_);
    if (found == jobIndex_.end() || found->second < nextToTake_ || stopping_)
        return std::nullopt;
    const size_t job = found->second;
    // The jobs before it are never asked for: their results go, and those not started never start.
    finished_.erase(finished_.begin(), finished_.lower_bound(job));
    nextToTake_ = job;
    nextJob_ = std::max(nextJob_, job);
    changed_.notify_all();

    changed_.wait(lock, [&] { return finished_.count(job) != 0; });
    LoadResult result = std::move(finished_.at(job));
    finished_.erase(job);
    nextToTake_ = job + 1;
    nextJob_ = std::max(nextJob_, nextToTake_);
    changed_.notify_all();
    return result;
}

void startLoading(std::vector<LoadJob> jobs, LoadFunction load, unsigned workerCount) {
    assert(!processLoader && "one start-up loader at a time");
    processLoader = new StartupLoader(std::move(jobs), std::move(load), workerCount);
}

void endLoading() {
    delete processLoader;
    processLoader = nullptr;
}

std::optional<DecodedImage> takeLoadedImage(LoadKind kind, const std::string& path) {
    std::optional<LoadResult> result = processLoader ? processLoader->take(kind, path) : std::nullopt;
    if (DecodedImage* image = result ? std::get_if<DecodedImage>(&*result) : nullptr)
        return std::move(*image);
    return std::nullopt;
}

std::optional<ModelData> takeLoadedModel(const std::string& path) {
    std::optional<LoadResult> result =
        processLoader ? processLoader->take(LoadKind::Model, path) : std::nullopt;
    if (ModelData* model = result ? std::get_if<ModelData>(&*result) : nullptr)
        return std::move(*model);
    return std::nullopt;
}

LoadFunction fileLoadFunction(unsigned workerCount) {
    // FreeImage builds its plugin table and singletons in FreeImage_Initialise, which its documentation
    // wants called before any other use and never while another thread uses the library. A shared
    // FreeImage (Debian's, the Windows build's DLL) has run it as it was loaded, and this call only counts
    // one more reference; a static one is initialised here. Either way before the first worker starts.
    FreeImage_Initialise(FALSE);
    // assimp's importers may run side by side, one to a thread; each worker makes its own on its first
    // model and keeps it for the next.
    auto importers = std::make_shared<std::vector<std::unique_ptr<Assimp::Importer>>>(workerCount);
    return [importers](const LoadJob& job, unsigned worker) -> LoadResult {
        switch (job.kind) {
        case LoadKind::Texture:
            return decodeTextureImage(job.path);
        case LoadKind::CubeFace:
            return decodeCubeFace(job.path);
        case LoadKind::Model:
            break;
        }
        std::unique_ptr<Assimp::Importer>& importer = importers->at(worker);
        if (!importer)
            importer = std::make_unique<Assimp::Importer>();
        return importModel(job.path, *importer);
    };
}
