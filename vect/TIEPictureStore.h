#pragma once
// The pictures of picture objects: entries of a bitmap and a reference count.
// An entry is freed when its count drops to 0; its index is then given out
// again.

#include "image/TIEBitmap.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vellinor {

class TIEPictureStore {
public:
    // A new entry with count 1 holding a copy of `picture`; -1 when it cannot
    // be copied.
    int32_t Add(TIEBitmap& picture);
    // A new entry with count 1 taking over `picture`.
    int32_t Adopt(std::unique_ptr<TIEBitmap> picture);
    // One more reference to entry `index` (nothing for an unused index).
    void AddRef(int32_t index);
    // One reference fewer; the entry is freed at 0.
    void Release(int32_t index);
    // Frees every entry except `keep`, which is left with one reference.
    void ReleaseAllBut(int32_t keep);
    // The picture of an entry in use, else nullptr.
    TIEBitmap* Picture(int32_t index);
    int32_t RefCount(int32_t index) const;
    // Entries in use.
    int32_t Count() const;

private:
    struct TEntry {
        std::unique_ptr<TIEBitmap> Bitmap;
        int32_t RefCount = 0;
    };
    bool InUse(int32_t index) const;
    int32_t FreeSlot();

    std::vector<TEntry> fEntries;
};

} // namespace vellinor
