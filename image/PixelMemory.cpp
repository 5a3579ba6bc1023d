#include "image/PixelMemory.h"

#include "platform/SystemInfo.h"

#include <cstdlib>
#include <sys/mman.h>

namespace vellinor {

namespace {

constexpr size_t kHybridHeapLimit = 0x100000;
constexpr size_t kHugePageSize = 2 * 1024 * 1024;

bool AllowedBySizeOverride(size_t bytes) {
    const auto limit = LargestBlockOverride();
    return !limit || bytes <= static_cast<uint64_t>(*limit);
}

uint8_t* HeapAllocate(size_t bytes) {
    return static_cast<uint8_t*>(std::calloc(bytes, 1));
}

uint8_t* GlobalAllocate(size_t bytes) {
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    // Large pictures fault in far fewer pages with huge pages.
    if (bytes >= kHugePageSize) madvise(p, bytes, MADV_HUGEPAGE);
    return static_cast<uint8_t*>(p);
}

} // namespace

TIEMemoryBlock& TIEMemoryBlock::operator=(TIEMemoryBlock&& other) noexcept {
    if (this != &other) {
        Free();
        fData = other.fData;
        fSize = other.fSize;
        fFromGlobal = other.fFromGlobal;
        other.fData = nullptr;
        other.fSize = 0;
    }
    return *this;
}

TIEMemoryBlock TIEMemoryBlock::Allocate(size_t bytes, TIEAllocatorKind kind) {
    TIEMemoryBlock block;
    if (bytes == 0 || !AllowedBySizeOverride(bytes)) return block;
    bool global = kind == iealGlobal || (kind == iealHybrid && bytes >= kHybridHeapLimit);
    uint8_t* data = global ? GlobalAllocate(bytes) : HeapAllocate(bytes);
    if (data == nullptr && kind == iealHybrid && !global) {
        data = GlobalAllocate(bytes);
        global = true;
    }
    if (data == nullptr) return block;
    block.fData = data;
    block.fSize = bytes;
    block.fFromGlobal = global;
    return block;
}

bool TIEMemoryBlock::Shrink(size_t bytes) {
    if (fData == nullptr || !fFromGlobal || bytes == 0 || bytes >= fSize) return false;
    // A shrinking mremap never moves the mapping.
    if (mremap(fData, fSize, bytes, 0) == MAP_FAILED) return false;
    fSize = bytes;
    return true;
}

bool TIEMemoryBlock::Grow(size_t bytes) {
    if (fData == nullptr || !fFromGlobal || bytes <= fSize || !AllowedBySizeOverride(bytes)) {
        return false;
    }
    void* moved = mremap(fData, fSize, bytes, MREMAP_MAYMOVE);
    if (moved == MAP_FAILED) return false;
    fData = static_cast<uint8_t*>(moved);
    fSize = bytes;
    return true;
}

void TIEMemoryBlock::Free() {
    if (fData == nullptr) return;
    if (fFromGlobal) {
        munmap(fData, fSize);
    } else {
        std::free(fData);
    }
    fData = nullptr;
    fSize = 0;
}

} // namespace vellinor
