#include "app/FileOutput.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// A full disk often shows only as the C library's buffer is flushed at close, so the close counts too.
bool writeAndClose(const std::string& path, const void* bytes, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes, 1, size, file) == size;
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

// A link is not replaced by a file of its own: it is written through, like a device.
bool replaceable(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::symlink_status(path, error).type();
    return type == std::filesystem::file_type::not_found || type == std::filesystem::file_type::regular;
}

// Beside the file, so that the rename stays on one file system; hidden, and with an ending that no
// program reading a folder of PNG or CSV files takes for one of them.
std::string temporaryName(const std::string& path) {
#ifdef _WIN32
    const size_t separator = path.find_last_of("/\\:");
    const int process = _getpid();
#else
    const size_t separator = path.rfind('/');
    const int process = static_cast<int>(getpid());
#endif
    const size_t name = separator == std::string::npos ? 0 : separator + 1;
    return path.substr(0, name) + "." + path.substr(name) + "." + std::to_string(process) + ".part";
}

#ifdef _WIN32
// The narrow path as the C library's fopen reads it: in the ANSI code page.
std::wstring widePath(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
    return wide;
}
#endif

// Windows' C library rename will not replace an existing file; MoveFileExW does when asked to.
bool moveIntoPlace(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

} // namespace

bool writeFileWhole(const std::string& path, const void* bytes, size_t size) {
    if (!replaceable(path))
        return writeAndClose(path, bytes, size);
    const std::string temporary = temporaryName(path);
    if (writeAndClose(temporary, bytes, size) && moveIntoPlace(temporary, path))
        return true;
    std::remove(temporary.c_str());
    return false;
}
