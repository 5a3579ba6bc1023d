#pragma once
// Blocks of memory for pixels, from the heap or from page-granular "global"
// memory, zero-filled. Move-only; freed by the allocator that made them.

#include <cstddef>
#include <cstdint>

namespace vellinor {

// AllocatorKind of TIEBitmap.
enum TIEAllocatorKind : uint8_t { iealHeap = 0, iealGlobal = 1, iealHybrid = 2 };

class TIEMemoryBlock {
public:
    TIEMemoryBlock() = default;
    ~TIEMemoryBlock() { Free(); }
    TIEMemoryBlock(TIEMemoryBlock&& other) noexcept {
        *this = static_cast<TIEMemoryBlock&&>(other);
    }
    TIEMemoryBlock& operator=(TIEMemoryBlock&& other) noexcept;
    TIEMemoryBlock(const TIEMemoryBlock&) = delete;
    TIEMemoryBlock& operator=(const TIEMemoryBlock&) = delete;

    // An empty block when the allocator cannot serve the request.
    static TIEMemoryBlock Allocate(size_t bytes, TIEAllocatorKind kind);

    uint8_t* Data() const { return fData; }
    size_t Size() const { return fSize; }
    explicit operator bool() const { return fData != nullptr; }
    void Free();
    // Gives the bytes past the first `bytes` back to the system, keeping the
    // rest in place; false (nothing changed) where the allocator cannot.
    bool Shrink(size_t bytes);
    // Enlarges the block to `bytes`, keeping its content (the new bytes are
    // zero); the block may move, but keeps its offset within the page. False
    // (nothing changed) where the allocator cannot.
    bool Grow(size_t bytes);

private:
    uint8_t* fData = nullptr;
    size_t fSize = 0;
    bool fFromGlobal = false;
};

} // namespace vellinor
