#include "io/IOMetadata.h"

#include <utility>

namespace vellinor {

int TIEMarkerList::IndexOf(uint8_t code) const {
    for (size_t i = 0; i < fMarkers.size(); ++i)
        if (fMarkers[i].Code == code) return static_cast<int>(i);
    return -1;
}

int TIEMarkerList::Add(uint8_t code, std::vector<uint8_t> data) {
    fMarkers.push_back(TMarker{code, std::move(data)});
    return Count() - 1;
}

void TIEMarkerList::Set(int index, uint8_t code, std::vector<uint8_t> data) {
    fMarkers.at(static_cast<size_t>(index)) = TMarker{code, std::move(data)};
}

void TIEMarkerList::Insert(int index, uint8_t code, std::vector<uint8_t> data) {
    if (index < 0 || index > Count()) index = Count();
    fMarkers.insert(fMarkers.begin() + index, TMarker{code, std::move(data)});
}

void TIEMarkerList::Delete(int index) {
    if (index >= 0 && index < Count()) fMarkers.erase(fMarkers.begin() + index);
}

void TIEMarkerList::Exchange(int a, int b) {
    std::swap(fMarkers.at(static_cast<size_t>(a)), fMarkers.at(static_cast<size_t>(b)));
}

int TIEIPTCInfoList::IndexOf(uint8_t record, uint8_t dataset) const {
    for (size_t i = 0; i < fItems.size(); ++i)
        if (fItems[i].Record == record && fItems[i].Dataset == dataset) {
            return static_cast<int>(i);
        }
    return -1;
}

int TIEIPTCInfoList::Add(uint8_t record, uint8_t dataset, std::vector<uint8_t> data) {
    fItems.push_back(TDataset{record, dataset, std::move(data)});
    UserChanged = true;
    return Count() - 1;
}

void TIEIPTCInfoList::Set(int index, std::vector<uint8_t> data) {
    fItems.at(static_cast<size_t>(index)).Data = std::move(data);
    UserChanged = true;
}

void TIEIPTCInfoList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    fItems.erase(fItems.begin() + index);
    UserChanged = true;
}

void TIEIPTCInfoList::Clear() {
    fItems.clear();
    UserChanged = true;
}

void TIEIPTCInfoList::ClearUnchanged() {
    fItems.clear();
    UserChanged = false;
}

std::string TIEIPTCInfoList::StringItem(int index) const {
    const auto& data = Item(index).Data;
    return std::string(data.begin(), data.end());
}

} // namespace vellinor
