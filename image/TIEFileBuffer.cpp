#include "image/TIEFileBuffer.h"

#include "platform/SystemInfo.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/mman.h>
#include <unistd.h>

namespace vellinor {

namespace {

std::atomic<bool> gMappingAllowed{true};
constexpr int64_t kFreeSpaceReserve = 128000000;
constexpr int64_t kCopyBlock = 0x100000;

std::string RandomTempName(const std::string& folder) {
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<uint32_t> draw(0, 0x7FFFFFFE);
    char name[32];
    std::snprintf(name, sizeof name, "IMG-%08X.tmp", draw(generator));
    return folder + name;
}

bool FullRead(int fd, uint8_t* buffer, int64_t count, int64_t offset) {
    while (count > 0) {
        const ssize_t n = pread(fd, buffer, static_cast<size_t>(count), offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        buffer += n;
        count -= n;
        offset += n;
    }
    return true;
}

bool FullWrite(int fd, const uint8_t* buffer, int64_t count, int64_t offset) {
    while (count > 0) {
        const ssize_t n = pwrite(fd, buffer, static_cast<size_t>(count), offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        buffer += n;
        count -= n;
        offset += n;
    }
    return true;
}

} // namespace

void TIEFileBuffer::Swap(TIEFileBuffer& other) noexcept {
    std::swap(fHandle, other.fHandle);
    std::swap(fFileName, other.fFileName);
    std::swap(fSize, other.fSize);
    std::swap(fRowBytes, other.fRowBytes);
    std::swap(fMapping, other.fMapping);
    std::swap(fWorking, other.fWorking);
    std::swap(fWorkingRow, other.fWorkingRow);
    std::swap(fPinned, other.fPinned);
}

void TIEFileBuffer::SetMappingAllowed(bool allowed) {
    gMappingAllowed = allowed;
}

bool TIEFileBuffer::Create(int64_t size, int32_t rowBytes) {
    Release();
    if (size <= 0 || rowBytes <= 0) return false;
    const std::string folder = TemporaryFolder();
    const uint64_t free = FreeDiskSpace(folder);
    if (free < static_cast<uint64_t>(size) + kFreeSpaceReserve) return false;

    std::string name;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        name = RandomTempName(folder);
        fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    // Reserve the blocks now: writing through a mapping into a file the disk
    // cannot hold would kill the process.
    if (posix_fallocate(fd, 0, size) != 0) {
        ::close(fd);
        ::unlink(name.c_str());
        return false;
    }
    fHandle = fd;
    fFileName = name;
    fSize = size;
    fRowBytes = rowBytes;
    if (gMappingAllowed) {
        void* p =
            mmap(nullptr, static_cast<size_t>(size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (p != MAP_FAILED) fMapping = static_cast<uint8_t*>(p);
    }
    return true;
}

void TIEFileBuffer::Release() {
    if (fHandle < 0) return;
    UnmapAll(0); // the file goes away: nothing to write back
    if (fMapping != nullptr) munmap(fMapping, static_cast<size_t>(fSize));
    fMapping = nullptr;
    ::close(fHandle);
    ::unlink(fFileName.c_str());
    fHandle = -1;
    fFileName.clear();
    fSize = 0;
    fWorking.clear();
    fWorking.shrink_to_fit();
}

void TIEFileBuffer::ReadRowInto(uint8_t* buffer, int64_t y) {
    if (!FullRead(fHandle, buffer, fRowBytes, y * fRowBytes)) std::memset(buffer, 0, fRowBytes);
}

void TIEFileBuffer::WriteRowFrom(const uint8_t* buffer, int64_t y) {
    FullWrite(fHandle, buffer, fRowBytes, y * fRowBytes);
}

uint8_t* TIEFileBuffer::Row(int64_t y, uint8_t access) {
    if (fMapping != nullptr) return fMapping + y * fRowBytes;
    if (y == fWorkingRow) return fWorking.data();
    if (fWorkingRow >= 0 && (access & iedaWrite)) WriteRowFrom(fWorking.data(), fWorkingRow);
    fWorking.resize(static_cast<size_t>(fRowBytes));
    if (access & iedaRead) {
        ReadRowInto(fWorking.data(), y);
    } else {
        std::memset(fWorking.data(), 0, fWorking.size());
    }
    fWorkingRow = y;
    return fWorking.data();
}

uint8_t* TIEFileBuffer::PinRow(int64_t y, uint8_t access) {
    if (fMapping != nullptr) return fMapping + y * fRowBytes;
    PinnedRow pinned{std::make_unique<uint8_t[]>(static_cast<size_t>(fRowBytes)), y};
    if (access & iedaRead) ReadRowInto(pinned.buffer.get(), y);
    fPinned.push_back(std::move(pinned));
    return fPinned.back().buffer.get();
}

void TIEFileBuffer::UnpinRow(int64_t y, uint8_t access) {
    const auto it = std::find_if(fPinned.begin(), fPinned.end(),
                                 [y](const PinnedRow& p) { return p.row == y; });
    if (it == fPinned.end()) return;
    if (access & iedaWrite) WriteRowFrom(it->buffer.get(), y);
    fPinned.erase(it);
}

void TIEFileBuffer::UnmapAll(uint8_t access) {
    if (fWorkingRow >= 0 && (access & iedaWrite)) WriteRowFrom(fWorking.data(), fWorkingRow);
    fWorkingRow = -1;
    for (const PinnedRow& p : fPinned) {
        if (access & iedaWrite) WriteRowFrom(p.buffer.get(), p.row);
    }
    fPinned.clear();
}

bool TIEFileBuffer::CopyContentsFrom(TIEFileBuffer& source, uint8_t sourceAccess, uint8_t access) {
    source.UnmapAll(sourceAccess);
    UnmapAll(access);
    const int64_t total = std::min(fSize, source.fSize);
    if (fMapping != nullptr && source.fMapping != nullptr) {
        for (int64_t done = 0; done < total; done += kCopyBlock) {
            std::memcpy(fMapping + done, source.fMapping + done,
                        static_cast<size_t>(std::min(kCopyBlock, total - done)));
        }
        return true;
    }
    std::vector<uint8_t> block(static_cast<size_t>(std::min(kCopyBlock, total)));
    for (int64_t done = 0; done < total; done += kCopyBlock) {
        const int64_t n = std::min(kCopyBlock, total - done);
        if (source.fMapping != nullptr) {
            std::memcpy(block.data(), source.fMapping + done, static_cast<size_t>(n));
        } else if (!FullRead(source.fHandle, block.data(), n, done)) {
            return false;
        }
        if (fMapping != nullptr) {
            std::memcpy(fMapping + done, block.data(), static_cast<size_t>(n));
        } else if (!FullWrite(fHandle, block.data(), n, done)) {
            return false;
        }
    }
    return true;
}

} // namespace vellinor
