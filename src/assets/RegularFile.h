#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OpenFile = std::unique_ptr<std::FILE, FileCloser>;

// `path` opened for reading in binary mode when it names a regular file (after following symbolic
// links), else null. Every file the engine reads, and every file the model library reads for it, comes
// through here: a FIFO (or a device, or /dev/stdin while standard input is a pipe) blocks the first read
// until some other process writes to it, which at start-up is for ever, and a directory makes the stream
// library throw. The file is opened without waiting and the open descriptor is asked what it is, so
// that nothing swapped in between a check and an open can block either; every read goes through it.
OpenFile openRegularFile(const std::string& path);

// The whole of the regular file at `path`, or nothing when it cannot be opened as one or a read fails.
std::optional<std::string> readRegularFile(const std::string& path);
