#include "io/jpeg/JpegMarkerOrder.h"

#include "io/IOMetadata.h"
#include "io/jpeg/ExifBlock.h"
#include "io/jpeg/JpegIccProfile.h"

#include <algorithm>

namespace vellinor {

namespace {

// ICC chunks after the other APP2 entries, in sequence order.
int SortKey(const TIEMarkerList::TMarker& marker) {
    const int code = marker.Code;
    if (code == kJpegApp2 && marker.Data.size() > 13 && IsIccChunk(marker.Data)) {
        return code * 512 + 256 + marker.Data[12];
    }
    return code * 512;
}

} // namespace

void SortMarkers(TIEMarkerList& markers) {
    auto& items = markers.Items();
    // Stable: comments and other repeated segments keep their file order.
    std::stable_sort(items.begin(), items.end(),
                     [](const auto& a, const auto& b) { return SortKey(a) < SortKey(b); });
    int firstApp1 = -1, firstExif = -1;
    for (int i = 0; i < markers.Count(); ++i) {
        if (markers.MarkerCode(i) != kJpegApp1) continue;
        if (firstApp1 < 0) firstApp1 = i;
        if (IsExifBlock(markers.MarkerData(i))) {
            firstExif = i;
            break;
        }
    }
    if (firstExif > firstApp1 && firstApp1 >= 0) markers.Exchange(firstApp1, firstExif);
}

} // namespace vellinor
