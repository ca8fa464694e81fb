#include "win_file.h"

namespace kelvoria {

namespace {
constexpr int kIoBufferSize = 32 * 1024;
}

std::unique_ptr<WinFile> WinFile::open(const char *path)
{
    if (!path || !*path)
        return nullptr;
    HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER size;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size) || size.QuadPart <= 0) {
        CloseHandle(handle);
        return nullptr;
    }
    return std::unique_ptr<WinFile>(new WinFile(handle, size.QuadPart));
}

WinFile::~WinFile()
{
    CloseHandle(handle_);
}

IoContextPtr WinFile::makeIoContext()
{
    auto *buffer = static_cast<unsigned char *>(av_malloc(kIoBufferSize));
    if (!buffer)
        return nullptr;
    AVIOContext *io = avio_alloc_context(buffer, kIoBufferSize, 0, this, &WinFile::readPacket, nullptr, &WinFile::seek);
    if (!io) {
        av_free(buffer);
        return nullptr;
    }
    return IoContextPtr(io);
}

int WinFile::readPacket(void *opaque, uint8_t *buf, int size)
{
    auto *file = static_cast<WinFile *>(opaque);
    DWORD got = 0;
    if (!ReadFile(file->handle_, buf, static_cast<DWORD>(size), &got, nullptr))
        return AVERROR(EIO);
    return got == 0 ? AVERROR_EOF : static_cast<int>(got);
}

int64_t WinFile::seek(void *opaque, int64_t offset, int whence)
{
    auto *file = static_cast<WinFile *>(opaque);
    if (whence & AVSEEK_SIZE)
        return file->size_;
    DWORD method;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET: method = FILE_BEGIN; break;
    case SEEK_CUR: method = FILE_CURRENT; break;
    case SEEK_END: method = FILE_END; break;
    default: return AVERROR(EINVAL);
    }
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(file->handle_, distance, &result, method))
        return AVERROR(EIO);
    return result.QuadPart;
}

} // namespace kelvoria
