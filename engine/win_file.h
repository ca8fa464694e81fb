// A file opened for reading by its ANSI path, exactly as the caller gave it,
// and the FFmpeg I/O context that reads through it.
#pragma once

#include "ffmpeg.h"

#include <windows.h>

#include <cstdint>
#include <memory>

namespace kelvoria {

class WinFile {
public:
    // Opens an existing, non-empty regular file; nullptr otherwise.
    static std::unique_ptr<WinFile> open(const char *path);
    ~WinFile();
    WinFile(const WinFile &) = delete;
    WinFile &operator=(const WinFile &) = delete;

    int64_t size() const { return size_; }

    // An I/O context that reads this file; the file must outlive it.
    IoContextPtr makeIoContext();

private:
    explicit WinFile(HANDLE handle, int64_t size) : handle_(handle), size_(size) {}
    static int readPacket(void *opaque, uint8_t *buf, int size);
    static int64_t seek(void *opaque, int64_t offset, int whence);

    HANDLE handle_;
    int64_t size_;
};

} // namespace kelvoria
