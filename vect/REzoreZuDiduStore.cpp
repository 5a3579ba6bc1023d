// Adding and removing objects, and the selection list.

#include "vect/REzoreZuDidu.h"

#include <algorithm>

namespace vellinor {

namespace {

// The lists and the store grow in steps, so adding one by one rarely moves them.
constexpr size_t kGrowthAt = 512;
constexpr size_t kGrowthRoom = 522;

template <typename T>
void GrowInSteps(std::vector<T>& list) {
    if (list.size() % kGrowthAt == 0) list.reserve(list.size() + kGrowthRoom);
}

} // namespace

int REzoreZuDidu::AddShape() {
    GrowInSteps(fZOrder);
    GrowInSteps(fRecords);
    const int hobj = RecordCount();
    TVectShape record = CopyShapeForAdd(fTemplate);
    if (record.Custom) record.Custom->Bind(hobj);
    const bool takesPicture = fTemplate.Kind == vkPicture ||
                              (fTemplate.Kind == vkRichText && fTemplate.RichBackPicture != 0);
    TIEBitmap* picture = takesPicture ? fPictures.Picture(fTemplate.PictureIndex) : nullptr;
    if (picture != nullptr && ShareBitmaps) {
        fPictures.AddRef(fTemplate.PictureIndex);
        record.PictureIndex = fTemplate.PictureIndex;
    } else if (picture != nullptr) {
        record.PictureIndex = fPictures.Add(*picture);
    }
    fRecords.push_back(std::make_shared<TVectShape>(std::move(record)));
    fZOrder.push_back(hobj);
    Update();
    return hobj;
}

void REzoreZuDidu::ReleaseRecord(TVectShape& record) {
    fPictures.Release(record.PictureIndex);
    record.PictureIndex = -1;
}

void REzoreZuDidu::RemoveShape(int hobj) {
    EndTextEdit();
    ResetInteraction();
    if (hobj == kLastRecordHandle) hobj = RecordCount() - 1;
    const auto at = std::find(fZOrder.begin(), fZOrder.end(), hobj);
    if (at != fZOrder.end()) {
        DeselectShape(hobj);
        // Name, font, text, rich formatting, path, points, shadow, custom
        // object and user data go with the record; its slot becomes a hole.
        ReleaseRecord(*fRecords[static_cast<size_t>(hobj)]);
        fRecords[static_cast<size_t>(hobj)] = std::make_shared<TVectShape>();
        fZOrder.erase(std::find(fZOrder.begin(), fZOrder.end(), hobj));
        if (hobj == RecordCount() - 1) fRecords.pop_back();
    }
    FireVectorialChanged();
    Update();
}

void REzoreZuDidu::RemoveAllShapes() {
    EndTextEdit();
    ResetInteraction();
    for (int hobj : fZOrder)
        ReleaseRecord(*fRecords[static_cast<size_t>(hobj)]);
    fZOrder.clear();
    fSelection.clear();
    fRecords.clear();
    fPictures.ReleaseAllBut(fTemplate.PictureIndex);
    FireVectorialChanged();
    Update();
}

void REzoreZuDidu::FireVectorialChanged() {
    if (OnVectorialChanged) OnVectorialChanged(*this);
}

// --- Selection -----------------------------------------------------------------------

int REzoreZuDidu::SelectedShape(int index) const {
    if (index < 0 || index >= SelectedCount()) return 0;
    return fSelection[static_cast<size_t>(index)];
}

void REzoreZuDidu::SelectShape(int hobj) {
    if (hobj == kLastRecordHandle) hobj = RecordCount() - 1;
    // Only live objects can be selected (a hole or a stray handle has no object).
    if (IsLiveShape(hobj) && fRecords[static_cast<size_t>(hobj)]->HasFlag(vfSelectable))
        fSelection.push_back(hobj);
    if (OnSelectObject) OnSelectObject(*this);
}

bool REzoreZuDidu::IsShapeSelected(int hobj) const {
    if (hobj == kLastRecordHandle) hobj = RecordCount() - 1;
    return std::find(fSelection.begin(), fSelection.end(), hobj) != fSelection.end();
}

void REzoreZuDidu::DeselectShape(int hobj) {
    if (hobj == kLastRecordHandle) hobj = RecordCount() - 1;
    const auto at = std::find(fSelection.begin(), fSelection.end(), hobj);
    if (at == fSelection.end()) return;
    fSelection.erase(at);
    fSelection.shrink_to_fit();
    if (OnSelectObject) OnSelectObject(*this);
}

void REzoreZuDidu::DeselectAll() {
    fSelection.clear();
    if (OnSelectObject) OnSelectObject(*this);
    Update();
}

} // namespace vellinor
