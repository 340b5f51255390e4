#include "assets/RegularFileSystem.h"

#include "assets/RegularFile.h"

#include <algorithm>
#include <assimp/IOStream.hpp>
#include <cstring>

namespace {

class RegularFileStream : public Assimp::IOStream {
  public:
    explicit RegularFileStream(OpenFile file) : file_(std::move(file)) {
        if (std::fseek(file_.get(), 0, SEEK_END) == 0)
            size_ = static_cast<size_t>(std::max(std::ftell(file_.get()), 0L));
        std::rewind(file_.get());
    }
    size_t Read(void* buffer, size_t size, size_t count) override {
        return size > 0 && count > 0 ? std::fread(buffer, size, count, file_.get()) : 0;
    }
    size_t Write(const void*, size_t, size_t) override { return 0; }
    // Offsets from the current position or the end come as negative numbers cast to size_t.
    aiReturn Seek(size_t offset, aiOrigin origin) override {
        const int whence = origin == aiOrigin_CUR ? SEEK_CUR : origin == aiOrigin_END ? SEEK_END : SEEK_SET;
        return std::fseek(file_.get(), static_cast<long>(offset), whence) == 0 ? aiReturn_SUCCESS
                                                                               : aiReturn_FAILURE;
    }
    size_t Tell() const override { return static_cast<size_t>(std::ftell(file_.get())); }
    size_t FileSize() const override { return size_; }
    void Flush() override {}

  private:
    OpenFile file_;
    size_t size_ = 0;
};

} // namespace

bool RegularFileSystem::Exists(const char* path) const {
    return openRegularFile(path) != nullptr;
}

char RegularFileSystem::getOsSeparator() const {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

Assimp::IOStream* RegularFileSystem::Open(const char* path, const char* mode) {
    if (std::strpbrk(mode, "wa+") != nullptr)
        return nullptr;
    OpenFile file = openRegularFile(path);
    return file ? new RegularFileStream(std::move(file)) : nullptr;
}

void RegularFileSystem::Close(Assimp::IOStream* stream) {
    delete stream;
}
