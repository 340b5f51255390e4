#include "assets/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>

namespace {

// Windows opens a named pipe or a device (CON, NUL, COM1) without waiting for the other side, and fstat
// reports what the handle is (a pipe or a character device), so there the plain open is the equivalent of
// the non-blocking one and the same question follows.
int openForReading(const char* path) {
    return _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

// Reads on a regular file never wait, whatever the open's flags.
bool readBlocking(int) {
    return true;
}

std::FILE* streamOf(int descriptor) {
    return _fdopen(descriptor, "rb");
}

void closeDescriptor(int descriptor) {
    _close(descriptor);
}

} // namespace
#else
#include <unistd.h>

namespace {

// O_NONBLOCK: opening a FIFO for reading otherwise waits for a writer. O_NOCTTY: a terminal named here
// must not become the process's controlling terminal.
int openForReading(const char* path) {
    return open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

// Reads of the regular file then behave as usual (a file system may honour the flag, on a locked file).
bool readBlocking(int descriptor) {
    const int flags = fcntl(descriptor, F_GETFL);
    return flags != -1 && fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != -1;
}

std::FILE* streamOf(int descriptor) {
    return fdopen(descriptor, "rb");
}

void closeDescriptor(int descriptor) {
    close(descriptor);
}

} // namespace
#endif

OpenFile openRegularFile(const std::string& path) {
    const int descriptor = openForReading(path.c_str());
    if (descriptor == -1)
        return nullptr;
    struct stat status {};
    std::FILE* stream = nullptr;
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && readBlocking(descriptor))
        stream = streamOf(descriptor);
    if (stream == nullptr)
        closeDescriptor(descriptor);
    return OpenFile(stream);
}

std::optional<std::string> readRegularFile(const std::string& path) {
    const OpenFile file = openRegularFile(path);
    if (!file)
        return std::nullopt;
    std::string content;
    char chunk[4096];
    for (size_t count; (count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;)
        content.append(chunk, count);
    if (std::ferror(file.get()))
        return std::nullopt;
    return content;
}
