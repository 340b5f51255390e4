#pragma once

#include <string>

// True when `path` names a regular file (after following symbolic links). Every loader asks before it
// opens anything: a directory where a file is expected makes the stream library throw, and a FIFO blocks
// the first read until some other process writes to it, which at start-up is for ever. Both are treated
// exactly like a missing file.
bool isRegularFile(const std::string& path);
