#pragma once
// The undo list of a processing object: saved copies, oldest first, each with
// what was saved, a caption and the layer it came from.

#include <deque>
#include <memory>
#include <string>

namespace vellinor {

class TIEBitmap;

// What an undo entry holds.
enum TIEUndoSource : int { ieuImage = 1 };

struct TIEUndoEntry {
    // For ieuImage: a full copy of the bitmap, alpha plane included.
    std::unique_ptr<TIEBitmap> Image;
    TIEUndoSource Kind = ieuImage;
    std::string Caption;
    // The view's current layer when the copy was made (-1 without a view).
    int LayerIndex = -1;
};

class TIEUndoList {
public:
    TIEUndoList();
    ~TIEUndoList();
    TIEUndoList(const TIEUndoList&) = delete;
    TIEUndoList& operator=(const TIEUndoList&) = delete;

    int Count() const { return static_cast<int>(fEntries.size()); }
    bool Empty() const { return fEntries.empty(); }
    const TIEUndoEntry& At(int index) const { return fEntries.at(static_cast<size_t>(index)); }
    TIEUndoEntry& Newest() { return fEntries.back(); }

    // Drops entries from the oldest end until fewer than limit remain, so that
    // one more entry keeps the list within limit.
    void MakeRoom(int limit);
    void Append(TIEUndoEntry entry);
    void Clear();

    // A copy of source kept in a temporary file whatever its size (in memory
    // only when no file can be made).
    static std::unique_ptr<TIEBitmap> SaveImage(TIEBitmap& source);

private:
    std::deque<TIEUndoEntry> fEntries;
};

} // namespace vellinor
