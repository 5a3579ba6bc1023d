#pragma once
// Metadata carried by the parameters record from a reader to a later writer:
// JPEG marker segments, IPTC datasets, colour profiles and DICOM elements.
// All are value types: copying one copies its bytes.

#include <cstdint>
#include <string>
#include <vector>

namespace vellinor {

// Raw APPn and COM segments (code byte, data without the two length bytes),
// in file order.
class TIEMarkerList {
public:
    struct TMarker {
        uint8_t Code = 0;
        std::vector<uint8_t> Data;
        friend bool operator==(const TMarker&, const TMarker&) = default;
    };

    int Count() const { return static_cast<int>(fMarkers.size()); }
    uint8_t MarkerCode(int index) const { return fMarkers.at(static_cast<size_t>(index)).Code; }
    const std::vector<uint8_t>& MarkerData(int index) const {
        return fMarkers.at(static_cast<size_t>(index)).Data;
    }
    // The first entry with this code, or -1.
    int IndexOf(uint8_t code) const;
    int Add(uint8_t code, std::vector<uint8_t> data);
    void Set(int index, uint8_t code, std::vector<uint8_t> data);
    void Insert(int index, uint8_t code, std::vector<uint8_t> data);
    void Delete(int index);
    void Exchange(int a, int b);
    void Clear() { fMarkers.clear(); }
    std::vector<TMarker>& Items() { return fMarkers; }
    const std::vector<TMarker>& Items() const { return fMarkers; }
    friend bool operator==(const TIEMarkerList&, const TIEMarkerList&) = default;

private:
    std::vector<TMarker> fMarkers;
};

// IPTC datasets (record, dataset, data) with a flag that any edit raises and
// the reader clears.
class TIEIPTCInfoList {
public:
    struct TDataset {
        uint8_t Record = 0;
        uint8_t Dataset = 0;
        std::vector<uint8_t> Data;
        friend bool operator==(const TDataset&, const TDataset&) = default;
    };

    int Count() const { return static_cast<int>(fItems.size()); }
    const TDataset& Item(int index) const { return fItems.at(static_cast<size_t>(index)); }
    // The first dataset with these numbers, or -1.
    int IndexOf(uint8_t record, uint8_t dataset) const;
    int Add(uint8_t record, uint8_t dataset, std::vector<uint8_t> data);
    void Set(int index, std::vector<uint8_t> data);
    void Delete(int index);
    // Clear() is an edit; ClearUnchanged() is what a reader does.
    void Clear();
    void ClearUnchanged();
    std::string StringItem(int index) const;

    bool UserChanged = false;
    const std::vector<TDataset>& Items() const { return fItems; }
    friend bool operator==(const TIEIPTCInfoList&, const TIEIPTCInfoList&) = default;

private:
    std::vector<TDataset> fItems;
};

// An ICC colour profile held as its bytes. No colour management exists here:
// profiles are carried, never applied.
struct TIEICC {
    std::vector<uint8_t> Raw;
    bool IsSRGB = false;  // stands for the system sRGB profile (no bytes)
    bool Applied = false; // the reader converted the pixels with it
    bool IsValid() const { return IsSRGB || Raw.size() >= 128; }
    void Clear() { *this = TIEICC{}; }
    friend bool operator==(const TIEICC&, const TIEICC&) = default;
};

// One DICOM data element met before the pixel data.
struct TIEDICOMTag {
    uint16_t Group = 0;
    uint16_t Element = 0;
    std::string VR; // two letters
    int32_t Length = 0;
    std::vector<uint8_t> Value; // with a terminating zero byte
    friend bool operator==(const TIEDICOMTag&, const TIEDICOMTag&) = default;
};
using TIEDICOMTags = std::vector<TIEDICOMTag>;

} // namespace vellinor
