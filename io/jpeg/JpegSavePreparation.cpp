#include "io/jpeg/JpegSavePreparation.h"

#include "io/TIOParamsVals.h"
#include "io/jpeg/ExifBlock.h"
#include "io/jpeg/IptcBlock.h"
#include "io/jpeg/JpegMarkerOrder.h"
#include "io/jpeg/XmpBlock.h"

#include <algorithm>
#include <functional>

namespace vellinor {

namespace {

constexpr uint8_t kResolutionResource[] = {'8', 'B', 'I', 'M', 0x03, 0xED};
constexpr size_t kResolutionRecord = 16;

uint32_t BE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

void PutBE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}

void PutFixed16(uint8_t* p, int dpi) {
    const auto value = static_cast<uint32_t>(std::clamp(dpi, 0, 32767)) << 16;
    PutBE16(p, static_cast<uint16_t>(value >> 16));
    PutBE16(p + 2, static_cast<uint16_t>(value));
}

int FirstIndex(const TIEMarkerList& markers, uint8_t code,
               const std::function<bool(const std::vector<uint8_t>&)>& accepts) {
    for (int i = 0; i < markers.Count(); ++i)
        if (markers.MarkerCode(i) == code && accepts(markers.MarkerData(i))) return i;
    return -1;
}

// Replaces the first APP1 entry that `is` accepts by block, added at the end.
void ReplaceApp1(TIEMarkerList& markers, std::vector<uint8_t> block,
                 const std::function<bool(const std::vector<uint8_t>&)>& is) {
    markers.Delete(FirstIndex(markers, kJpegApp1, is));
    markers.Add(kJpegApp1, std::move(block));
}

} // namespace

void UpdatePhotoshopResolution(TIOParamsVals& params) {
    const int index = params.Markers.IndexOf(kJpegApp13);
    if (index < 0) return;
    std::vector<uint8_t>& data = params.Markers.Items()[static_cast<size_t>(index)].Data;
    const auto found = std::search(data.begin(), data.end(), std::begin(kResolutionResource),
                                   std::end(kResolutionResource));
    if (found == data.end()) return;
    const size_t m = static_cast<size_t>(found - data.begin());
    // The resource name: a Pascal string padded to an even length.
    if (m + 7 > data.size()) return;
    const size_t skip = ((static_cast<size_t>(data[m + 6]) + 2) & ~size_t{1}) - 2;
    const size_t sizeAt = m + 8 + skip;
    if (sizeAt + 4 > data.size()) return;
    const size_t recordAt = sizeAt + 4;
    if (BE32(data.data() + sizeAt) < kResolutionRecord ||
        recordAt + kResolutionRecord > data.size()) {
        return;
    }
    uint8_t* record = data.data() + recordAt;
    PutFixed16(record, params.ResolutionX());
    PutBE16(record + 4, 1);
    PutBE16(record + 6, 1);
    PutFixed16(record + 8, params.ResolutionY());
    PutBE16(record + 12, 1);
    PutBE16(record + 14, 1);
}

void PrepareJpegMarkers(TIOParamsVals& params) {
    TIEMarkerList& markers = params.Markers;
    UpdatePhotoshopResolution(params);
    if (params.IptcInfo.UserChanged || (params.IptcInfo.Count() > 0 && markers.Count() == 0)) {
        std::vector<uint8_t> block = BuildIptcBlock(params.IptcInfo, true);
        const int index = markers.IndexOf(kJpegApp13);
        if (block.empty()) {
            markers.Delete(index);
        } else if (index >= 0) {
            markers.Set(index, kJpegApp13, std::move(block));
        } else {
            markers.Add(kJpegApp13, std::move(block));
        }
    }
    if (params.HasExif) {
        // Without the TIFF codec's builder there is no new block: the
        // segment read from the file stays as it is.
        std::vector<uint8_t> block = BuildExifBlock(params);
        if (!block.empty()) {
            ReplaceApp1(markers, std::move(block),
                        [](const std::vector<uint8_t>& d) { return IsExifBlock(d); });
        }
    }
    if (!params.XmpPacket.empty()) {
        ReplaceApp1(markers, BuildXmpBlock(params.XmpPacket),
                    [](const std::vector<uint8_t>& d) { return IsXmpBlock(d); });
    }
}

} // namespace vellinor
