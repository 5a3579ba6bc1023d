#include "platform/SystemInfo.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vellinor {

namespace {

std::atomic<int32_t> gMinFileSizeLow{-1};
std::atomic<int32_t> gMinFileSizeHigh{-1};
std::atomic<int64_t> gLargestBlock{-1};

std::mutex gFolderMutex;
std::string gTemporaryFolder;

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

} // namespace

uint64_t TotalPhysicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

uint64_t FreeDiskSpace(const std::string& path) {
    struct statvfs info {};
    if (statvfs(path.c_str(), &info) != 0) return 0;
    return static_cast<uint64_t>(info.f_bavail) * static_cast<uint64_t>(info.f_frsize);
}

std::string TemporaryFolder() {
    {
        std::lock_guard lock(gFolderMutex);
        if (!gTemporaryFolder.empty()) return gTemporaryFolder;
    }
    const char* env = std::getenv("TMPDIR");
    if (env != nullptr && *env != '\0') return WithSlash(env);
    return "/tmp/";
}

void SetTemporaryFolderOverride(const std::string& folder) {
    std::lock_guard lock(gFolderMutex);
    gTemporaryFolder = folder.empty() ? std::string() : WithSlash(folder);
}

void SetMinFileSizeOverride(int32_t low, int32_t high) {
    gMinFileSizeLow = low;
    gMinFileSizeHigh = high;
}

void ClearMinFileSizeOverride() {
    SetMinFileSizeOverride(-1, -1);
}

std::optional<int64_t> MinFileSizeOverride() {
    const int32_t low = gMinFileSizeLow;
    const int32_t high = gMinFileSizeHigh;
    if (low == -1 && high == -1) return std::nullopt;
    return static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) |
                                static_cast<uint32_t>(low));
}

void SetLargestBlockOverride(std::optional<int64_t> bytes) {
    gLargestBlock = bytes.value_or(-1);
}

std::optional<int64_t> LargestBlockOverride() {
    const int64_t v = gLargestBlock;
    if (v < 0) return std::nullopt;
    return v;
}

} // namespace vellinor
