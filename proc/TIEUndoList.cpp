#include "proc/TIEUndoList.h"

#include "image/TIEBitmap.h"

namespace vellinor {

TIEUndoList::TIEUndoList() = default;
TIEUndoList::~TIEUndoList() = default;

void TIEUndoList::MakeRoom(int limit) {
    while (!fEntries.empty() && static_cast<int>(fEntries.size()) >= limit)
        fEntries.pop_front();
}

void TIEUndoList::Append(TIEUndoEntry entry) {
    fEntries.push_back(std::move(entry));
}

void TIEUndoList::Clear() {
    fEntries.clear();
}

std::unique_ptr<TIEBitmap> TIEUndoList::SaveImage(TIEBitmap& source) {
    auto copy = std::make_unique<TIEBitmap>();
    // A threshold of 0 sends every copy to a (mapped) temporary file, so undo
    // copies of big pictures do not compete with the picture for memory.
    copy->MinFileSize = 0;
    copy->Relocate(ieTempFile);
    copy->CopyFrom(source);
    return copy;
}

} // namespace vellinor
