#include "platform/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vellinor {

int64_t TStream::Size() {
    const int64_t here = Position();
    const int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(here, TSeekOrigin::soBeginning);
    return end;
}

bool TStream::SetSize(int64_t) {
    return false;
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    std::vector<uint8_t> buffer(1 << 16);
    int64_t copied = 0;
    while (count < 0 || copied < count) {
        int64_t want = static_cast<int64_t>(buffer.size());
        if (count >= 0) want = std::min(want, count - copied);
        const int64_t got = source.Read(buffer.data(), want);
        if (got <= 0) break;
        const int64_t put = Write(buffer.data(), got);
        copied += put;
        if (put < got) break;
    }
    return copied;
}

namespace {

// Position arithmetic shared by the memory kinds; -1 for a position before 0.
int64_t SeekTarget(int64_t position, int64_t size, int64_t offset, TSeekOrigin origin) {
    int64_t base = 0;
    switch (origin) {
    case TSeekOrigin::soBeginning:
        base = 0;
        break;
    case TSeekOrigin::soCurrent:
        base = position;
        break;
    case TSeekOrigin::soEnd:
        base = size;
        break;
    }
    if (offset > 0 && base > INT64_MAX - offset) return -1;
    const int64_t target = base + offset;
    return target < 0 ? -1 : target;
}

} // namespace

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || fPosition >= Size()) return 0;
    const int64_t n = std::min(count, Size() - fPosition);
    std::memcpy(buffer, fData.data() + fPosition, static_cast<size_t>(n));
    fPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    const int64_t end = fPosition + count;
    if (end > Size()) {
        if (end > static_cast<int64_t>(fData.capacity())) {
            fData.reserve(std::max<size_t>(static_cast<size_t>(end), fData.capacity() * 2));
        }
        fData.resize(static_cast<size_t>(end));
    }
    std::memcpy(fData.data() + fPosition, buffer, static_cast<size_t>(count));
    fPosition = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t target = SeekTarget(fPosition, Size(), offset, origin);
    if (target < 0) return -1;
    fPosition = target;
    return fPosition;
}

bool TMemoryStream::SetSize(int64_t size) {
    if (size < 0) return false;
    fData.resize(static_cast<size_t>(size));
    fPosition = std::min(fPosition, size);
    return true;
}

void TMemoryStream::Reserve(int64_t bytes) {
    if (bytes > 0) fData.reserve(fData.size() + static_cast<size_t>(bytes));
}

int64_t TSpanStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || fPosition >= Size()) return 0;
    const int64_t n = std::min(count, Size() - fPosition);
    std::memcpy(buffer, fData.data() + fPosition, static_cast<size_t>(n));
    fPosition += n;
    return n;
}

int64_t TSpanStream::Write(const void* buffer, int64_t count) {
    if (!fWritable || count <= 0 || fPosition >= Size()) return 0;
    const int64_t n = std::min(count, Size() - fPosition);
    std::memcpy(fData.data() + fPosition, buffer, static_cast<size_t>(n));
    fPosition += n;
    return n;
}

int64_t TSpanStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t target = SeekTarget(fPosition, Size(), offset, origin);
    if (target < 0) return -1;
    fPosition = target;
    return fPosition;
}

std::string FullFileName(const std::string& fileName) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(fileName, ec);
    return ec ? fileName : absolute.lexically_normal().string();
}

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fFileName(fileName) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case TFileMode::fmOpenRead:
        flags |= O_RDONLY;
        break;
    case TFileMode::fmOpenWrite:
        flags |= O_WRONLY;
        break;
    case TFileMode::fmOpenReadWrite:
        flags |= O_RDWR;
        break;
    case TFileMode::fmCreate:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    }
    fHandle = ::open(fileName.c_str(), flags, 0666);
    if (fHandle >= 0 && mode != TFileMode::fmCreate) {
        struct stat info {};
        if (fstat(fHandle, &info) == 0 && S_ISDIR(info.st_mode)) {
            ::close(fHandle);
            fHandle = -1;
            errno = EISDIR;
        }
    }
    if (fHandle < 0) {
        const std::string reason = std::strerror(errno);
        const std::string name = FullFileName(fileName);
        if (mode == TFileMode::fmCreate) {
            throw EFCreateError("Cannot create file \"" + name + "\". " + reason);
        }
        throw EFOpenError("Cannot open file \"" + name + "\". " + reason);
    }
}

TFileStream::~TFileStream() {
    if (fHandle >= 0) ::close(fHandle);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t total = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    while (total < count) {
        const ssize_t n = ::read(fHandle, out + total, static_cast<size_t>(count - total));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += n;
    }
    return total;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    int64_t total = 0;
    const auto* in = static_cast<const uint8_t*>(buffer);
    while (total < count) {
        const ssize_t n = ::write(fHandle, in + total, static_cast<size_t>(count - total));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += n;
    }
    return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = SEEK_SET;
    if (origin == TSeekOrigin::soCurrent) whence = SEEK_CUR;
    if (origin == TSeekOrigin::soEnd) whence = SEEK_END;
    return ::lseek(fHandle, offset, whence);
}

int64_t TFileStream::Size() {
    struct stat info {};
    if (fstat(fHandle, &info) != 0) return 0;
    return info.st_size;
}

bool TFileStream::SetSize(int64_t size) {
    return size >= 0 && ::ftruncate(fHandle, size) == 0;
}

} // namespace vellinor
