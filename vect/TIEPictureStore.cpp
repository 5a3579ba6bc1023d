#include "vect/TIEPictureStore.h"

namespace vellinor {

bool TIEPictureStore::InUse(int32_t index) const {
    return index >= 0 && static_cast<size_t>(index) < fEntries.size() &&
           fEntries[static_cast<size_t>(index)].RefCount > 0;
}

int32_t TIEPictureStore::FreeSlot() {
    for (size_t i = 0; i < fEntries.size(); ++i)
        if (fEntries[i].RefCount == 0) return static_cast<int32_t>(i);
    fEntries.emplace_back();
    return static_cast<int32_t>(fEntries.size() - 1);
}

int32_t TIEPictureStore::Add(TIEBitmap& picture) {
    auto copy = std::make_unique<TIEBitmap>();
    copy->CopyFrom(picture);
    if (copy->Width() != picture.Width() || copy->Height() != picture.Height()) return -1;
    return Adopt(std::move(copy));
}

int32_t TIEPictureStore::Adopt(std::unique_ptr<TIEBitmap> picture) {
    if (!picture) return -1;
    const int32_t index = FreeSlot();
    TEntry& e = fEntries[static_cast<size_t>(index)];
    e.Bitmap = std::move(picture);
    e.RefCount = 1;
    return index;
}

void TIEPictureStore::AddRef(int32_t index) {
    if (InUse(index)) ++fEntries[static_cast<size_t>(index)].RefCount;
}

void TIEPictureStore::Release(int32_t index) {
    if (!InUse(index)) return;
    TEntry& e = fEntries[static_cast<size_t>(index)];
    if (--e.RefCount == 0) e.Bitmap.reset();
}

void TIEPictureStore::ReleaseAllBut(int32_t keep) {
    for (size_t i = 0; i < fEntries.size(); ++i) {
        if (static_cast<int32_t>(i) == keep) {
            // Only its keeper refers to it now.
            if (fEntries[i].RefCount > 1) fEntries[i].RefCount = 1;
            continue;
        }
        fEntries[i].Bitmap.reset();
        fEntries[i].RefCount = 0;
    }
}

TIEBitmap* TIEPictureStore::Picture(int32_t index) {
    return InUse(index) ? fEntries[static_cast<size_t>(index)].Bitmap.get() : nullptr;
}

int32_t TIEPictureStore::RefCount(int32_t index) const {
    return InUse(index) ? fEntries[static_cast<size_t>(index)].RefCount : 0;
}

int32_t TIEPictureStore::Count() const {
    int32_t n = 0;
    for (const TEntry& e : fEntries)
        n += e.RefCount > 0 ? 1 : 0;
    return n;
}

} // namespace vellinor
