#pragma once

#include <cstddef>
#include <string>

// Writes `size` bytes as the file at `path`, whole or not at all, for the capture, the recorded frames and
// the statistics file. Where the path is free or a regular file, the bytes go to a temporary name beside
// it (".NAME.PID.part") that is renamed into place only once written and closed without error, and removed
// otherwise: a full disk or a file-size limit leaves neither a cut-off file under the name nor the
// temporary one, and a file that was there stays as it was. Any other path (a device such as /dev/stdout,
// a FIFO, a link) is written in place: the bytes go where the user sends them. Returns whether every byte
// was written and the file closed without error.
bool writeFileWhole(const std::string& path, const void* bytes, size_t size);
