#pragma once

#include "assets/Mesh.h"
#include "assets/Texture.h"

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

// Start-up's loading on every core. Before the window opens, the files the scene will load are decoded
// and imported on worker threads into plain data; the main thread still does everything else as it
// would alone (every OpenGL call, every line printed, in the same order), and where it would read a file
// it takes the loader's result for that file instead, waiting for it if need be. Nothing here calls
// OpenGL or prints.

enum class LoadKind { Texture, CubeFace, Model };

struct LoadJob {
    LoadKind kind;
    std::string path; // as the loader that takes the result builds it: directory + name
};

// A DecodedImage for an image, ModelData for a model.
using LoadResult = std::variant<DecodedImage, ModelData>;

// Checks and decodes (or imports) one file on a worker. `worker` numbers the calling worker from 0, for
// state that each worker keeps to itself (a model importer).
using LoadFunction = std::function<LoadResult(const LoadJob& job, unsigned worker)>;

// Runs the jobs, each file once, in list order on `workerCount` threads (no more than there are files)
// and hands each result to the one consumer that asks for it. Memory stays bounded: at most workerCount
// finished results wait to be taken, and a worker that finishes one more holds it, starting nothing, until
// the consumer takes the next; so no more than two results a worker exist at once.
class StartupLoader {
  public:
    StartupLoader(std::vector<LoadJob> jobs, LoadFunction load, unsigned workerCount);
    // No job starts any more; those under way finish, every worker is joined and untaken results go.
    ~StartupLoader();
    StartupLoader(const StartupLoader&) = delete;
    StartupLoader& operator=(const StartupLoader&) = delete;

    // The result of the job for this file, waiting for it if it is not ready. The files are asked for in
    // list order: jobs listed before this one that were never asked for are dropped (a repeated list
    // entry that the catalogue skips, say). Nothing when no job is left for the file, which the caller
    // then loads itself.
    std::optional<LoadResult> take(LoadKind kind, const std::string& path);

  private:
    void work(unsigned worker);

    std::vector<LoadJob> jobs_;
    std::map<std::pair<LoadKind, std::string>, size_t> jobIndex_;
    LoadFunction load_;
    size_t waitLimit_; // how many finished results may wait to be taken

    std::mutex mutex_;
    std::condition_variable changed_;
    size_t nextJob_ = 0;                    // the next job a worker starts
    size_t nextToTake_ = 0;                 // every job before it is taken or dropped
    std::map<size_t, LoadResult> finished_; // results that wait to be taken, by job
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

// The process-wide loader, from startLoading until endLoading; while none runs, every take gives nothing.
void startLoading(std::vector<LoadJob> jobs, LoadFunction load, unsigned workerCount);
// Stops and joins it (see ~StartupLoader). Called once start-up has taken all it needs, and by a fatal
// exit before its prompt, so that no worker outlives the process's end or works while it waits for a key.
void endLoading();

std::optional<DecodedImage> takeLoadedImage(LoadKind kind, const std::string& path);
std::optional<ModelData> takeLoadedModel(const std::string& path);

// Reads the files as the engine's loaders do: 2D textures, cube faces and models through
// decodeTextureImage, decodeCubeFace and importModel, each worker with a model importer of its own.
LoadFunction fileLoadFunction(unsigned workerCount);
